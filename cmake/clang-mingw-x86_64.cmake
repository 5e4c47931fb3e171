# clang for x86-64 mingw-w64: the Win32 tests on machines whose kernel runs no 32-bit
# code, as mingw-x86_64.cmake is for gcc.
set(TOLMAR_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/clang-mingw-i686.cmake)
