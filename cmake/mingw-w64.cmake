# Cross-builds the Windows programs with MinGW-w64 (the posix-threads
# variant, whose libstdc++ has std::thread and std::mutex) and runs them
# under Wine.  The runtime is linked statically, so the programs need only
# Windows' own DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DEPRLINK_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DEPRLINK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DEPRLINK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${DEPRLINK_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DEPRLINK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest starts the test programs through Wine.  The prefix, the locale and
# the server come from the environment (scripts/test-windows.sh).
find_program(DEPRLINK_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${DEPRLINK_WINE})
# Test programs are listed when ctest runs, not after each build, so that
# building needs no Wine prefix.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
