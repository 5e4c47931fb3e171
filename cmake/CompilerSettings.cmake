# Compiler-specific settings, kept in one place.

option(TOLMAR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

# Every warning fails the build, on each compiler, in the program and its tests (not in
# the third-party code built beside them). Beyond -Wall -Wextra: casts that drop const or
# hide a conversion, formats that are not literals, functions that no header declares,
# undefined macros in #if, switch cases that run into the next one, classes deleted
# through a base without a virtual destructor; with gcc also conditions that test the
# same thing twice and branches that do the same.
# Narrow texts are written as explicit Windows-1252 bytes, so no compiler needs an
# execution character set; the sources are UTF-8 (clang reads nothing else).
if(MSVC)
    # Not built or tested here: only the equivalents of the flags the others use.
    set(TOLMAR_WARNINGS /W4 /WX)
    set(TOLMAR_CHARSET /utf-8)
else()
    set(TOLMAR_WARNINGS -Wall -Wextra -Wpedantic -Werror -Wcast-qual -Wold-style-cast
        -Wformat=2 -Wundef -Wimplicit-fallthrough -Wnon-virtual-dtor)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        list(APPEND TOLMAR_WARNINGS -Wmissing-prototypes)
        set(TOLMAR_CHARSET "")
    else()
        list(APPEND TOLMAR_WARNINGS -Wmissing-declarations -Wlogical-op -Wduplicated-cond
            -Wduplicated-branches)
        set(TOLMAR_CHARSET -finput-charset=UTF-8)
    endif()
endif()

# The i686 build runs on the processors of Windows 98 and 95 too: gcc's i686 default is
# the Pentium Pro, whose conditional moves a Pentium or a 486 lacks. The 486 is the least
# that Windows 98 asks for; Tolmar.exe is no larger for it than for the Pentium (i586).
set(TOLMAR_I686_ARCH -march=i486 CACHE STRING "Processor of the i686 build")
if(MINGW AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_compile_options(${TOLMAR_I686_ARCH})
endif()

function(tolmar_compile_options target)
    target_compile_options(${target} PRIVATE ${TOLMAR_WARNINGS}
        $<$<COMPILE_LANGUAGE:CXX>:${TOLMAR_CHARSET}>)
    if(NOT MSVC)
        target_compile_options(${target} PRIVATE
            $<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>)
    endif()
    if(TOLMAR_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined
            -fno-sanitize-recover=all -fno-omit-frame-pointer)
        target_link_options(${target} PUBLIC -fsanitize=address,undefined)
    endif()
endfunction()

# The program's own code in a release build: small rather than fast (nothing in it is
# hot), no exceptions and no unwind tables (it throws none), and every function in a
# section of its own so that the linker drops what nothing calls. Not the data: on this
# target -fdata-sections moves zero-filled variables out of .bss into the file. The
# benchmarks build it once more with -O3 to show what the small code costs in speed.
# No jump tables: each of their entries is an address the loader may have to relocate,
# and a switch over a few cases is as short as a chain of compares.
set(TOLMAR_RELEASE_OPT -Oz -fno-jump-tables CACHE STRING
    "Optimisation of the program's own code in a release build")
function(tolmar_size_options target)
    if(MINGW)
        target_compile_options(${target} PRIVATE $<$<CONFIG:Release>:${TOLMAR_RELEASE_OPT}
            -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables
            -ffunction-sections>)
        # Data at the alignment its type asks, not padded to 32 bytes for vector loads
        # that nothing here makes: the texts lie one after the other.
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
            target_compile_options(${target} PRIVATE $<$<CONFIG:Release>:-malign-data=abi>)
        endif()
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "EXECUTABLE")
            target_link_options(${target} PRIVATE $<$<CONFIG:Release>:-Wl,--gc-sections>)
        endif()
    endif()
    # The program's code optimised as one whole at link time: the many small functions
    # of the shell are called from one place each and fold into their callers.
    if(MINGW AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        set_property(TARGET ${target} PROPERTY INTERPROCEDURAL_OPTIMIZATION_RELEASE ON)
    endif()
endfunction()

# No runtime DLLs beside the system's; no link time stamp and no build paths, so that
# two builds of the same sources give the same bytes.
function(tolmar_static_runtime target)
    if(MINGW)
        target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++
            -Wl,--no-insert-timestamp)
    endif()
endfunction()

# MainWndProc and About, exported by undecorated name with the module named in the .def.
function(tolmar_exports target def)
    if(MINGW AND CMAKE_SIZEOF_VOID_P EQUAL 4)
        # --kill-at strips the @16 of the stdcall names; a release build is stripped too.
        target_link_options(${target} PRIVATE ${def} -Wl,--kill-at $<$<CONFIG:Release>:-s>)
    else()
        # link.exe, and any x86-64 linker, knows the names without the stdcall @16.
        file(STRINGS ${def} lines)
        list(TRANSFORM lines REPLACE "@16" "")
        list(JOIN lines "\n" text)
        set(plain ${CMAKE_CURRENT_BINARY_DIR}/${target}-plain.def)
        file(WRITE ${plain} "${text}\n")
        if(MSVC)
            target_link_options(${target} PRIVATE /DEF:${plain})
        else()
            target_link_options(${target} PRIVATE ${plain} $<$<CONFIG:Release>:-s>)
        endif()
    endif()
endfunction()

# GoogleTest from Debian's sources, built with the same compiler as the tests.
function(tolmar_add_googletest)
    if(TARGET gtest)
        return()
    endif()
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    if(MINGW)
        set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    endif()
    # SYSTEM: its headers are not ours to keep free of warnings.
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endfunction()

# The shipped i686 executable pads each section to 512 bytes in the file. Its layout is
# the linker's own but for fewer sections. The C runtime's unwind tables go: the program
# throws nothing and unwinds nothing, and the runtime registers its tables only where a
# shared libgcc is loaded; the pieces of crtbegin and crtend stay, so that the list it
# would register still begins and ends as it should, in .rdata. The runtime's tables of
# initialisers (.CRT) and the template of thread-local data (.tls, at the start, where
# offsets into it are counted from) join .data. The script is made from the linker's
# default at configure time, and a default that no longer reads as expected stops the
# configure.
function(tolmar_compact_layout target)
    if(NOT (MINGW AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_SIZEOF_VOID_P EQUAL 4))
        return()
    endif()
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-prog-name=ld
                    OUTPUT_VARIABLE ld OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND ${ld} --verbose OUTPUT_VARIABLE verbose)
    string(REGEX MATCH "=+\n(.*)\n=+" _ "${verbose}")
    set(script "${CMAKE_MATCH_1}")
    set(eh_frame "  .eh_frame BLOCK(__section_alignment__) :\n  {\n    KEEP(*(.eh_frame*))\n  }\n")
    set(rdata "     *(SORT(.rdata$*))\n")
    set(discard "  /DISCARD/ :\n  {\n")
    set(data_start "    __data_start__ = . ;\n")
    set(data_end "    *(.data_cygwin_nocopy)\n")
    string(REGEX MATCH "  \\.CRT BLOCK\\(__section_alignment__\\) :\n  {\n([^}]*)  }\n" crt "${script}")
    set(crt_body "${CMAKE_MATCH_1}")
    string(REGEX MATCH "  /\\* Windows TLS expects[^/]*/\n  \\.tls BLOCK\\(__section_alignment__\\) :\n  {\n([^}]*)  }\n" tls "${script}")
    set(tls_body "${CMAKE_MATCH_1}")
    foreach(part eh_frame rdata discard data_start data_end crt tls)
        string(FIND "${script}" "${${part}}" at)
        if(at EQUAL -1 OR "${${part}}" STREQUAL "")
            message(FATAL_ERROR "The linker's default script has no ${part} as expected")
        endif()
    endforeach()
    string(REPLACE "${eh_frame}" "" script "${script}")
    string(REPLACE "${crt}" "" script "${script}")
    string(REPLACE "${tls}" "" script "${script}")
    # The thread-local template first: offsets into it are taken from the section's start.
    string(REPLACE "${data_start}" "${tls_body}${data_start}" script "${script}")
    string(REPLACE "${rdata}"
        "${rdata}    KEEP(*crtbegin.o(.eh_frame*))\n    KEEP(*crtend.o(.eh_frame*))\n"
        script "${script}")
    string(REPLACE "${discard}" "${discard}    *(.eh_frame*)\n" script "${script}")
    string(REPLACE "${data_end}"
        "${data_end}${crt_body}    KEEP (*(SORT(.CRT$XD*)))  /* dynamic TLS initialisers */\n"
        script "${script}")
    set(file ${CMAKE_CURRENT_BINARY_DIR}/${target}.ld)
    file(WRITE ${file} "${script}\n")
    target_link_options(${target} PRIVATE $<$<CONFIG:Release>:-Wl,-T,${file}>)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${file})
endfunction()
