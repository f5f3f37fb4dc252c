# Cross build for 32-bit Windows with Debian's g++-mingw-w64-i686:
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake -DTOLMARIN_QT=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(_mingw i686-w64-mingw32)
# The posix thread model: its libstdc++ has std::mutex and friends.
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Packages (the cross-built GoogleTest) may live in the build tree.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Static C++ runtime, libgcc and winpthread: the programs run on a bare
# Windows without any DLL of the compiler beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests run under Wine; test lists are read when ctest runs, not at build
# time, so building needs no Wine prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
