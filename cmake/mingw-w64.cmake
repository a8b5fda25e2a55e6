# Cross-build for Windows with mingw-w64, for the processor the including
# toolchain file sets; tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)

set(VODIVURI_MINGW_PREFIX ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
# The compilers' thread model. posix has std::thread and std::mutex, which
# GoogleTest needs, but linked -static it brings winpthreads, whose imports
# (GetTickCount64, AddVectoredExceptionHandler, ...) keep a program from loading
# before Vista. win32 brings none: the shipped Vodivuri.exe is built with it
# (see the top CMakeLists.txt), the tests with posix.
set(VODIVURI_MINGW_THREADS posix CACHE STRING "Thread model of the mingw-w64 compilers: posix or win32")
set_property(CACHE VODIVURI_MINGW_THREADS PROPERTY STRINGS posix win32)
if(NOT VODIVURI_MINGW_THREADS MATCHES "^(posix|win32)$")
  message(FATAL_ERROR "VODIVURI_MINGW_THREADS is posix or win32, not ${VODIVURI_MINGW_THREADS}")
endif()
# try_compile projects read this file again: the same compilers there.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VODIVURI_MINGW_THREADS)
set(CMAKE_C_COMPILER ${VODIVURI_MINGW_PREFIX}-gcc-${VODIVURI_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${VODIVURI_MINGW_PREFIX}-g++-${VODIVURI_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${VODIVURI_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VODIVURI_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime, so the programs need only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  # Debian's `wine` always starts the 32-bit loader when it is installed; the
  # 64-bit one lives beside it.
  find_program(VODIVURI_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH)
  if(NOT VODIVURI_WINE64)
    find_program(VODIVURI_WINE64 NAMES wine64 wine)
  endif()
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VODIVURI_WINE64})
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR wine)
endif()
