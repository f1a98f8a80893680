# GoogleTest is built from Debian's sources for every target platform, so the
# same test code runs natively on Linux and under Wine.
enable_testing()
if(PELMORA_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(PELMORA_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  add_subdirectory(${PELMORA_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  if(PELMORA_SANITIZE)
    target_compile_options(gtest PRIVATE -fsanitize=address,undefined)
    target_compile_options(gtest_main PRIVATE -fsanitize=address,undefined)
  endif()
  if(PELMORA_WINDOWS)
    # Windows tests run under wine64 in a private prefix inside the build
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
