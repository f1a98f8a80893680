# GoogleTest is built from Debian's sources for every target platform, so the
# same test code runs natively on Linux and under Wine.
enable_testing()

# A tool the tests need is found here or the configuration fails naming it,
# so that no test is quietly skipped for want of it.
# pelmora_require_program(VAR DEBIAN_PACKAGE NAMES names... [PATHS dirs...])
function(pelmora_require_program var package)
  cmake_parse_arguments(R "" "" "NAMES;PATHS" ${ARGN})
  find_program(${var} NAMES ${R_NAMES} PATHS ${R_PATHS})
  if(NOT ${var})
    list(JOIN R_NAMES " or " names)
    message(FATAL_ERROR "${names} not found (Debian package ${package}); the tests need it. "
                        "Install it, or configure with -DPELMORA_TESTS=OFF.")
  endif()
endfunction()

if(PELMORA_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(PELMORA_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  if(NOT EXISTS ${PELMORA_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${PELMORA_GTEST_SOURCE} (Debian package "
                        "googletest); set PELMORA_GTEST_SOURCE, or configure with -DPELMORA_TESTS=OFF.")
  endif()
  add_subdirectory(${PELMORA_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  if(PELMORA_WINDOWS AND CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # The -win32 compilers of the shipped build have no std::mutex, which
    # GoogleTest's Notification needs (the header says why a stand-in does).
    target_compile_options(gtest PUBLIC
      -include ${CMAKE_SOURCE_DIR}/tests/support/GTestWithoutStdMutex.h)
  endif()
  if(PELMORA_SANITIZE)
    target_compile_options(gtest PRIVATE -fsanitize=address,undefined)
    target_compile_options(gtest_main PRIVATE -fsanitize=address,undefined)
  endif()
  if(PELMORA_WINDOWS)
    # The places scripts/wine-bin.sh and scripts/wine-prefix.sh look in: the
    # shipped 32-bit programs run through Wine's 32-bit loader (Debian's
    # wine32:i386) in a 64-bit prefix, whose server is the 64-bit one.
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686" AND NOT EXISTS /usr/lib/wine/wine)
      message(FATAL_ERROR "Wine's 32-bit loader /usr/lib/wine/wine not found (Debian package "
                          "wine32:i386, after dpkg --add-architecture i386); the tests need it. "
                          "Install it, or configure with -DPELMORA_TESTS=OFF.")
    endif()
    pelmora_require_program(PELMORA_WINE64 wine64 NAMES wine64
      PATHS /usr/lib/wine /usr/lib/x86_64-linux-gnu/wine)
    pelmora_require_program(PELMORA_WINESERVER wine64 NAMES wineserver wineserver64 PATHS /usr/lib/wine)
    # Test programs that open windows need a display (scripts/with-display.sh
    # starts Xvfb when none is set); the end-to-end test takes screenshots
    # with ImageMagick's import.
    pelmora_require_program(PELMORA_XVFB xvfb NAMES Xvfb)
    pelmora_require_program(PELMORA_IMAGEMAGICK_IMPORT imagemagick NAMES import)
    # Windows tests run under Wine in a private prefix inside the build
    # folder; the fixture 'wine' creates it once and stops its server after.
    set(PELMORA_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${PELMORA_WINEPREFIX})
    add_test(NAME wine_prefix_start
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh start ${PELMORA_WINEPREFIX})
    add_test(NAME wine_prefix_stop
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefix.sh stop ${PELMORA_WINEPREFIX})
    set_tests_properties(wine_prefix_start PROPERTIES FIXTURES_SETUP wine)
    set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wine)
  else()
    # Debian's unace is the independent reader of the writer's archives.
    pelmora_require_program(PELMORA_DEBIAN_UNACE unace NAMES unace PATHS /usr/bin)
  endif()
endif()

# pelmora_test(name sources... LIBS libs...)
# A GoogleTest program. On Linux it runs natively, for Windows under Wine.
function(pelmora_test name)
  if(NOT PELMORA_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gtest_main pelmora_options)
  if(PELMORA_WINDOWS)
    target_link_options(${name} PRIVATE -mconsole)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "PELMORA_SOURCE_DIR=${CMAKE_SOURCE_DIR};PELMORA_BINARY_DIR=${CMAKE_BINARY_DIR}"
    TIMEOUT 600)
  if(PELMORA_WINDOWS)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
endfunction()
