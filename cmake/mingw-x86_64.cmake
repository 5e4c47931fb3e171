# Cross toolchain: Debian's x86-64 mingw-w64. Only for running the Windows tests on
# machines whose kernel cannot run 32-bit code; the product stays the i686 build.
set(TOLMAR_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
