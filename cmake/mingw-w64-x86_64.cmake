# Cross-build for 64-bit Windows with mingw-w64; tests run under 64-bit Wine.
# For machines whose kernel runs no 32-bit programs, where the 32-bit build
# can be made but not run.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
