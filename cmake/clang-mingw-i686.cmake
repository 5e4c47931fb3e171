# Cross toolchain: Debian's clang and lld for i686 mingw-w64, on the same headers, C++
# library and runtime as the gcc build (mingw-i686.cmake). clang-mingw-x86_64.cmake
# reuses it for another processor. The released Tolmar.exe stays the gcc build.
if(NOT TOLMAR_MINGW_PROCESSOR)
    set(TOLMAR_MINGW_PROCESSOR i686)
endif()
# System name, windres, search roots and the Wine runner are those of the gcc build.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER_TARGET ${triple})

# clang looks for a gcc installation under a plain version number and does not take
# Debian's "12-posix", so the folder of the posix gcc is named here.
file(GLOB gcc_dirs /usr/lib/gcc/${triple}/*-posix)
list(SORT gcc_dirs COMPARE NATURAL ORDER DESCENDING)
list(GET gcc_dirs 0 gcc_dir)
if(NOT IS_DIRECTORY "${gcc_dir}/include/c++")
    message(FATAL_ERROR "No posix mingw-w64 gcc for ${triple} under /usr/lib/gcc")
endif()

# The sysroot keeps the host's /usr/include out; the C++ headers are the gcc's libstdc++.
set(sysroot "--sysroot=/usr/${triple}")
set(CMAKE_C_FLAGS_INIT "${sysroot}")
set(CMAKE_CXX_FLAGS_INIT "${sysroot} -isystem ${gcc_dir}/include/c++ -isystem ${gcc_dir}/include/c++/${triple} -isystem ${gcc_dir}/include/c++/backward")
# Linked by lld with gcc's crtbegin/crtend (-B) and libraries (-L). The posix gcc adds
# winpthreads to every link on its own (its libstdc++ and libgcc_eh call it); clang must
# be told.
foreach(kind EXE SHARED MODULE)
    set(CMAKE_${kind}_LINKER_FLAGS_INIT "${sysroot} -fuse-ld=lld -rtlib=libgcc -B${gcc_dir} -L${gcc_dir} -lpthread")
endforeach()
# lld 14 names the module in the export directory after the output file ("Tolmar.exe",
# not the .def's "Tolmar.EXE") and starts the ordinal table at 0, an empty slot before
# ordinal 1; names and ordinals resolve alike. So the presets point the checks of the
# executable file at the gcc build's Tolmar.exe, the one that ships.
