# Cross build for 32-bit Windows with Debian's g++-mingw-w64-i686 (the
# shipped tolmarin.exe):
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake -DTOLMARIN_QT=OFF
set(CMAKE_SYSTEM_PROCESSOR x86)
set(_mingw i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
