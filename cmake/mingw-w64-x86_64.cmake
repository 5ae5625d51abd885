# Cross-building for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix): the posix
# thread model, so that std::thread and std::mutex work. Tests run under wine: set
# CMAKE_CROSSCOMPILING_EMULATOR to the wine launcher when configuring (scripts/test-windows does).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CODEPANEL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CODEPANEL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CODEPANEL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${CODEPANEL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${CODEPANEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything statically linked, the C++ runtime and winpthread included, so that an .exe runs
# without any DLL copied beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
