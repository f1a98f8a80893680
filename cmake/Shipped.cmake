# What goes onto the setup medium: Install.exe, which carries UnACE.dll as a
# resource, and the uninstaller stUnInst.exe inside the archive. All must
# load on every Windows the program is for, and the setup program must stay
# within its size budget.
if(NOT PELMORA_WINDOWS)
  return()
endif()

foreach(shipped Install unace stUnInst)
  # The linker's map beside each file: scripts/size-report.sh (make size)
  # reads from it what each object and library member adds.
  target_link_options(${shipped} PRIVATE -Wl,-Map=$<TARGET_FILE:${shipped}>.map)
endforeach()

# scripts/check-pe.sh reads the binaries with it.
if(NOT CMAKE_OBJDUMP)
  message(FATAL_ERROR "objdump for ${CMAKE_SYSTEM_PROCESSOR} Windows binaries not found "
                      "(Debian package binutils-mingw-w64-*); the binary checks need it")
endif()

# Both programs are GUI programs of this build's format that need no MinGW
# DLL, and their manifests ask for today's controls, state the execution
# level and declare per-monitor DPI awareness.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(expected_format pei-i386)
else()
  set(expected_format pei-x86-64)
endif()
foreach(program Install stUnInst)
  string(TOLOWER ${program} name)
  add_test(NAME ${name}_exe_carries_its_manifest
    COMMAND sh -c "grep -q -a 'level=.highestAvailable.' \"$0\" && grep -q -a 'Microsoft.Windows.Common-Controls' \"$0\" && grep -q -a '>PerMonitorV2, PerMonitor<' \"$0\" && grep -q -a '>true/pm<' \"$0\""
            $<TARGET_FILE:${program}>)
  add_test(NAME ${name}_exe_is_standalone_gui_program
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-pe.sh $<TARGET_FILE:${program}> ${expected_format} gui)
endforeach()

# The program must never be built without the library it writes at start,
# and must write that library exactly.
add_test(NAME install_exe_carries_unace_dll
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-embedded-library.sh ${CMAKE_RC_COMPILER}
          $<TARGET_FILE:Install> $<TARGET_FILE:unace> ${PELMORA_EMBEDDED_LIBRARY}
          ${PELMORA_RESOURCE_PACKER})

# The remaining checks read the 32-bit build, the one that is shipped.
if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  return()
endif()

set(windows2000_imports ${CMAKE_SOURCE_DIR}/scripts/windows2000-imports.txt)
# Imports only from DLLs that Windows always takes from its system folder, so
# that no DLL beside the setup program is loaded in their place.
set(known_dlls ${CMAKE_SOURCE_DIR}/scripts/known-dlls.txt)
set(import_checks)
foreach(shipped "Install;install_exe;gui" "unace;unace_dll;dll" "stUnInst;stuninst_exe;gui")
  list(GET shipped 0 target)
  list(GET shipped 1 name)
  list(GET shipped 2 kind)
  add_test(NAME ${name}_imports_only_windows2000_functions
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-pe.sh $<TARGET_FILE:${target}> pei-i386 ${kind}
            --allowed-imports ${windows2000_imports})
  add_test(NAME ${name}_imports_only_known_dlls
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-pe.sh $<TARGET_FILE:${target}> pei-i386 ${kind}
            --allowed-dlls ${known_dlls})
  list(APPEND import_checks ${name}_imports_only_windows2000_functions ${name}_imports_only_known_dlls)
endforeach()
# The check itself: with entries missing from the lists it fails and names each.
add_test(NAME import_check_names_every_unlisted_import
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/test-import-check.sh $<TARGET_FILE:Install>
          ${windows2000_imports} ${known_dlls})
set_tests_properties(${import_checks} import_check_names_every_unlisted_import
  PROPERTIES ENVIRONMENT "OBJDUMP=${CMAKE_OBJDUMP}")

# The finished program, with its pages, art and the library inside (the
# pictures and the library packed): 649,216 bytes before the work on sizes,
# 229,888 once all three were built without exceptions, 256,000 with the
# folder checks, the take-back and the seals (make size shows where the
# bytes go).
add_test(NAME install_exe_within_size_budget
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-size.sh $<TARGET_FILE:Install> 300000)

# The library as it is written beside the program (79,360 bytes now, built
# without exceptions; 144,384 with them).
add_test(NAME unace_dll_within_size_budget
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-size.sh $<TARGET_FILE:unace> 84600)

# The uninstaller has no pictures and no library inside: what it weighs is
# its own code and what of the runtime that uses (249,344 bytes when it
# came, 97,280 once it was built without exceptions, 102,400 with the
# folder checks, held-handle deletion and seals).
add_test(NAME stuninst_exe_within_size_budget
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-size.sh $<TARGET_FILE:stUnInst> 128000)
