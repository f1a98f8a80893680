# What goes onto the setup medium: Install.exe, which carries UnACE.dll as a
# resource, and the uninstaller stUnInst.exe inside the archive. All must
# load on every Windows the program is for, and the setup program must stay
# within its size budget.
if(NOT PELMORA_WINDOWS)
  return()
endif()

foreach(shipped Install unace stUnInst)
  target_sources(${shipped} PRIVATE ${CMAKE_SOURCE_DIR}/common/SilentTerminateHandler.cpp)
endforeach()

# scripts/check-pe.sh reads the binaries with it.
if(NOT CMAKE_OBJDUMP)
  message(FATAL_ERROR "objdump for ${CMAKE_SYSTEM_PROCESSOR} Windows binaries not found "
                      "(Debian package binutils-mingw-w64-*); the binary checks need it")
endif()

# The program must never be built without the library it writes at start.
add_test(NAME install_exe_carries_unace_dll
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-embedded-library.sh ${CMAKE_RC_COMPILER}
          $<TARGET_FILE:Install> $<TARGET_FILE:unace>)

# The remaining checks read the 32-bit build, the one that is shipped.
if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  return()
endif()

set(windows2000_imports ${CMAKE_SOURCE_DIR}/scripts/windows2000-imports.txt)
# Imports only from DLLs that Windows always takes from its system folder, so
# that no DLL beside the setup program is loaded in their place.
set(known_dlls ${CMAKE_SOURCE_DIR}/scripts/known-dlls.txt)
add_test(NAME install_exe_imports_only_windows2000_functions
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-pe.sh $<TARGET_FILE:Install> pei-i386 gui
          --allowed-imports ${windows2000_imports})
add_test(NAME unace_dll_imports_only_windows2000_functions
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-pe.sh $<TARGET_FILE:unace> pei-i386 dll
          --allowed-imports ${windows2000_imports})
add_test(NAME stuninst_exe_imports_only_windows2000_functions
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-pe.sh $<TARGET_FILE:stUnInst> pei-i386 gui
          --allowed-imports ${windows2000_imports})
add_test(NAME install_exe_imports_only_known_dlls
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-pe.sh $<TARGET_FILE:Install> pei-i386 gui
          --allowed-dlls ${known_dlls})
add_test(NAME unace_dll_imports_only_known_dlls
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-pe.sh $<TARGET_FILE:unace> pei-i386 dll
          --allowed-dlls ${known_dlls})
add_test(NAME stuninst_exe_imports_only_known_dlls
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-pe.sh $<TARGET_FILE:stUnInst> pei-i386 gui
          --allowed-dlls ${known_dlls})
# The check itself: with entries missing from the lists it fails and names each.
add_test(NAME import_check_names_every_unlisted_import
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/test-import-check.sh $<TARGET_FILE:Install>
          ${windows2000_imports} ${known_dlls})
set_tests_properties(
  install_exe_imports_only_windows2000_functions
  unace_dll_imports_only_windows2000_functions
  install_exe_imports_only_known_dlls
  unace_dll_imports_only_known_dlls
  stuninst_exe_imports_only_windows2000_functions
  stuninst_exe_imports_only_known_dlls
  import_check_names_every_unlisted_import
  PROPERTIES ENVIRONMENT "OBJDUMP=${CMAKE_OBJDUMP}")

# The finished program, with its pages, art and the library inside, must fit
# into 1 MB (taken as 10^6 bytes); the aim is 400 KB.
add_test(NAME install_exe_within_size_budget
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-size.sh $<TARGET_FILE:Install> 1000000)

# The uninstaller has no pictures and no library inside: what it weighs is
# the runtime and its own code (249,344 bytes when it came).
add_test(NAME stuninst_exe_within_size_budget
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-size.sh $<TARGET_FILE:stUnInst> 300000)
