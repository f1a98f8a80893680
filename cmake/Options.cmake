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
  # The shipped configuration is built for size (make size shows where it
  # goes):
  # - no compiler name in every object (-fno-ident);
  # - no locks around the first use of a function's static object: no
  #   shipped program or the library runs our code on two threads
  #   (-fno-threadsafe-statics; the -win32 compilers have no std::thread);
  # - the stack kept at the 4-byte alignment Windows guarantees instead of
  #   16 bytes at every call; a function that needs more aligns its own
  #   frame (-mpreferred-stack-boundary=2, i686 only);
  # - unwind tables only for the functions an exception can pass through,
  #   not for every function (-fno-asynchronous-unwind-tables); nothing
  #   unwinds our stacks but a C++ exception. Built without exceptions (the
  #   uninstaller, the library), a file carries none;
  # - no type information but for thrown types: nothing asks a type at run
  #   time (no typeid, no dynamic_cast) (-fno-rtti). Not for the extraction
  #   library (nor unace_core and unace_decode, whose sources it compiles):
  #   there std::make_shared then reaches the runtime's shared_ptr support,
  #   which brings the exception machinery back (41 KB).
  target_compile_options(pelmora_options INTERFACE
    $<$<CONFIG:MinSizeRel>:-fno-ident -fno-threadsafe-statics -fno-asynchronous-unwind-tables>
    "$<$<AND:$<CONFIG:MinSizeRel>,$<STREQUAL:${CMAKE_SYSTEM_PROCESSOR},i686>>:-mpreferred-stack-boundary=2>"
    "$<$<AND:$<CONFIG:MinSizeRel>,$<NOT:$<IN_LIST:$<TARGET_PROPERTY:NAME>,unace;unace_core;unace_decode>>>:-fno-rtti>")
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
  target_compile_options(pelmora_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -g)
  target_link_options(pelmora_options INTERFACE -fsanitize=address,undefined)
endif()

# Portable code: a static library of plain C++ that never includes a Win32 header.
# Test code (Name_test.cpp, Name_testutil.cpp) goes into test programs only:
# the shipped programs are compiled from these libraries' sources.
function(pelmora_library name)
  foreach(source ${ARGN})
    if(source MATCHES "_test(util)?\\.cpp$")
      message(FATAL_ERROR "${name}: ${source} is test code; it belongs to a pelmora_test program")
    endif()
  endforeach()
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC pelmora_options)
endfunction()

# Adds to `target` the sources of `libraries` (but for the files named after
# EXCEPT), with their definitions and the system libraries they link: for a
# program built from them with other options than the libraries themselves.
function(pelmora_sources_of target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "EXCEPT")
  foreach(library ${arg_UNPARSED_ARGUMENTS})
    get_target_property(sources ${library} SOURCES)
    get_target_property(folder ${library} SOURCE_DIR)
    foreach(source ${sources})
      get_filename_component(source ${source} ABSOLUTE BASE_DIR ${folder})
      get_filename_component(name ${source} NAME)
      if(NOT name IN_LIST arg_EXCEPT)
        target_sources(${target} PRIVATE ${source})
      endif()
    endforeach()
    get_target_property(definitions ${library} COMPILE_DEFINITIONS)
    if(definitions)
      target_compile_definitions(${target} PRIVATE ${definitions})
    endif()
    get_target_property(links ${library} INTERFACE_LINK_LIBRARIES)
    foreach(link ${links})
      if(NOT TARGET ${link})
        target_link_libraries(${target} PRIVATE ${link})
      endif()
    endforeach()
  endforeach()
endfunction()
