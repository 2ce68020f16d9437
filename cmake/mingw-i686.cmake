# Cross-compiles the 32-bit Windows build with MinGW-w64 (posix thread model, so std::thread and
# friends are available) and runs the results under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(LUMETRA_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${LUMETRA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUMETRA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${LUMETRA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LUMETRA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every executable runs alone on Windows: no MinGW runtime DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
