# cmake -DFILE=path -P print-size.cmake: prints the size of a built file.
file(SIZE "${FILE}" bytes)
math(EXPR kilobytes "(${bytes} + 1023) / 1024")
get_filename_component(name "${FILE}" NAME)
message(STATUS "${name}: ${bytes} bytes (${kilobytes} KB)")
