# Compiler options shared by every target of ours (not by GoogleTest).
add_library(pelmora_options INTERFACE)
target_compile_options(pelmora_options INTERFACE
  -Wall -Wextra -Werror -Wshadow -Wno-missing-field-initializers)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # Texts are Windows-1252 bytes at run time; sources are UTF-8. (clang knows
  # only UTF-8 here; it builds just the fuzz targets, which hold no such text.)
  target_compile_options(pelmora_options INTERFACE -finput-charset=UTF-8 -fexec-charset=CP1252)
  # GCC 12 reports false -Wrestrict overlaps inside std::string concatenation
  # at -O2 (GCC bug 105329); the warning carries no signal for our code.
  target_compile_options(pelmora_options INTERFACE -Wno-restrict)
endif()
target_include_directories(pelmora_options INTERFACE
  ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)

if(PELMORA_WINDOWS)
  # Nothing of MinGW's runtime may be needed beside the program on the target.
  target_link_options(pelmora_options INTERFACE -static -static-libgcc -static-libstdc++)
  # A section per function and data object, so that the linker can drop
  # what nothing reaches. On this target that gains little: the unwind
  # tables (.eh_frame) are kept whole and refer to every function of an
  # object. The shipped configuration (MinSizeRel) is stripped as well.
  target_compile_options(pelmora_options INTERFACE -ffunction-sections -fdata-sections)
  target_link_options(pelmora_options INTERFACE -Wl,--gc-sections $<$<CONFIG:MinSizeRel>:-s>)
  target_compile_definitions(pelmora_options INTERFACE
    WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)
endif()

if(PELMORA_SANITIZE)
  target_compile_options(pelmora_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(pelmora_options INTERFACE -fsanitize=address,undefined)
endif()

if(PELMORA_FUZZ)
  include(CheckCXXSourceCompiles)
  set(CMAKE_REQUIRED_FLAGS -fsanitize=fuzzer)
  check_cxx_source_compiles([[
    #include <cstddef>
    #include <cstdint>
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }
  ]] PELMORA_LIBFUZZER_LINKS)
  unset(CMAKE_REQUIRED_FLAGS)
  if(NOT PELMORA_LIBFUZZER_LINKS)
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} cannot link a libFuzzer target: the fuzz "
                        "build needs clang and its libFuzzer runtime (Debian packages clang, "
                        "libclang-rt-14-dev)")
  endif()
  # Undefined behaviour stops the run as a crash does, instead of a line in
  # the log of a run that passes.
  target_compile_options(pelmora_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer -g)
  target_link_options(pelmora_options INTERFACE -fsanitize=address,undefined)
endif()

# What the shipped programs are built from is built once, the way they are
# built, and the tests link those very objects:
# - no exceptions anywhere in them (-fno-exceptions): every failure travels
#   as a value, and a failed allocation ends the program
#   (common/FailuresEndTheProgram.cpp, linked into each shipped file);
# - in the shipped configuration (MinSizeRel) on Windows, built for size
#   (make size shows where the bytes go):
#   - no compiler name in every object (-fno-ident);
#   - no locks around the first use of a function's static object: no
#     shipped program or the library runs our code on two threads
#     (-fno-threadsafe-statics; the -win32 compilers have no std::thread);
#   - the stack kept at the 4-byte alignment Windows guarantees instead of
#     16 bytes at every call; a function that needs more aligns its own
#     frame (-mpreferred-stack-boundary=2, i686 only). Code built with the
#     default, the tests' own, calls into it safely: i686 Windows code
#     never assumes more than 4 bytes on entry;
#   - no unwind tables: nothing unwinds these stacks
#     (-fno-asynchronous-unwind-tables);
#   - one copy of each inline function that several objects use: at -Os
#     GCC gives each object its own private body of a constructor
#     (-fdeclone-ctor-dtor) and its own copy of a function with its
#     parameters rearranged (IPA-SRA's .isra clones); as private copies
#     the linker cannot fold them (before: 46 bodies of std::string's move
#     constructor in Install.exe, 15 KB of such copies in all)
#     (-fno-declone-ctor-dtor -fno-ipa-sra);
#   - no texts for the standard library's failure functions, which end
#     the process without reading them (common/NoFailureMessages.h);
#   - GCC's level for the smallest code rather than -Os, which still trades
#     some size for speed (-Oz; 1.5 KB in Install.exe). Not for the
#     extraction library's parts (below), whose decoders' speed counts;
#   - no type information: nothing asks a type at run time (no typeid, no
#     dynamic_cast) (-fno-rtti). Not for the extraction library's parts
#     (unace_core, unace_decode, its exports): there std::make_shared then reaches the
#     runtime's shared_ptr support, which brings the exception machinery
#     back (41 KB).
# The tests, the tools and the writer keep exceptions and type information.
add_library(pelmora_shipped_options INTERFACE)
target_compile_options(pelmora_shipped_options INTERFACE -fno-exceptions)
if(PELMORA_WINDOWS)
  target_compile_options(pelmora_shipped_options INTERFACE
    $<$<CONFIG:MinSizeRel>:-fno-ident -fno-threadsafe-statics -fno-asynchronous-unwind-tables -fno-declone-ctor-dtor -fno-ipa-sra>
    "$<$<AND:$<CONFIG:MinSizeRel>,$<STREQUAL:${CMAKE_SYSTEM_PROCESSOR},i686>>:-mpreferred-stack-boundary=2>"
    "$<$<AND:$<CONFIG:MinSizeRel>,$<COMPILE_LANGUAGE:CXX>>:SHELL:-include ${CMAKE_SOURCE_DIR}/common/NoFailureMessages.h -Wno-format-zero-length>"
    "$<$<AND:$<CONFIG:MinSizeRel>,$<NOT:$<IN_LIST:$<TARGET_PROPERTY:NAME>,unace;unace_exports;unace_core;unace_decode>>>:-fno-rtti;-Oz>")
endif()

# A library of the shipped programs: a static library built as described
# above. Portable code in it never includes a Win32 header; *_win.cpp files
# do.
function(pelmora_library name)
  foreach(source ${ARGN})
    if(source MATCHES "_test(util)?\\.cpp$")
      message(FATAL_ERROR "${name}: ${source} is test code; it belongs to a pelmora_test program")
    endif()
  endforeach()
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC pelmora_options PRIVATE pelmora_shipped_options)
endfunction()

# A shipped program or the extraction library: built as its libraries are,
# with the failure functions that end it and the heap they take memory from
# (common/Allocation.h; Windows only: on Linux the library is a shared
# object in a host program, whose operator new it must not replace).
function(pelmora_shipped target)
  target_link_libraries(${target} PRIVATE pelmora_options pelmora_shipped_options)
  if(PELMORA_WINDOWS)
    target_link_libraries(${target} PRIVATE pelmora_failures_end_the_program pelmora_heap_blocks)
  endif()
endfunction()

# Code that runs only on the build machine or a vendor's (the writer, the
# tools, the plain description's reader): a failure that ends an operation
# throws.
function(pelmora_host_library name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC pelmora_options)
endfunction()
