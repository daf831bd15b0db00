# Cross build for 32-bit Windows with mingw-w64, for the shipped program.
# The win32 thread model: its runtime imports nothing that Windows 98 or
# NT 4 lacks (the posix model's threading library brings in XP- and
# Vista-only calls). Everything is linked statically, so the program needs
# no MinGW runtime DLL on the target machine.
set(CMAKE_C_COMPILER   i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686-common.cmake)
