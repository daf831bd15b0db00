# Cross build for 32-bit Windows with mingw-w64, for the tests and tools:
# the posix thread model, because GoogleTest needs std::mutex. The shipped
# program never comes from this build.
set(CMAKE_C_COMPILER   i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686-common.cmake)
