# What both MinGW-w64 toolchain files share; each sets _mingw (the target
# triplet) and CMAKE_SYSTEM_PROCESSOR, then includes this file.
set(CMAKE_SYSTEM_NAME Windows)

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
