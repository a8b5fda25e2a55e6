# Cross-build for 32-bit Windows with mingw-w64; tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(VODIVURI_MINGW_PREFIX i686-w64-mingw32)
# The posix variant: the win32 one has no std::thread or std::mutex, which GoogleTest needs.
set(CMAKE_C_COMPILER ${VODIVURI_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VODIVURI_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VODIVURI_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VODIVURI_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime, so the programs need only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
