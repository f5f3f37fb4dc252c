# Cross build for 64-bit Windows with Debian's g++-mingw-w64-x86-64. Not
# shipped: the tests run this build under wine64 where a host cannot run
# 32-bit programs.
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake -DTOLMARIN_QT=OFF
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(_mingw x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
