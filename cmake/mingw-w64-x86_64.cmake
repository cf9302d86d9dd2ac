# Cross-builds the Windows executables with Debian's mingw-w64 toolchain.
#
# The -posix compilers are used because the default win32-thread variant has
# no std::thread and std::mutex. Everything is linked statically, so that the
# executables need no MinGW runtime DLLs beside them, on Windows or under Wine.
# CTest runs the test programs through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZETALINK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZETALINK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZETALINK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZETALINK_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZETALINK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# The Wine prefix lives inside the build tree, so that test runs never touch
# the user's own prefix. WINEDEBUG=-all keeps Wine's diagnostics out of the
# test output.
set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEDEBUG=-all WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix
    sh ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
