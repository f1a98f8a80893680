# The setup program Install.exe: a GUI program, statically linked, with its
# icon, version resource and the extraction library as a resource.
enable_language(RC)

set(PELMORA_ICON ${CMAKE_CURRENT_SOURCE_DIR}/res/pelmora.ico)
pelmora_compact_manifest(${CMAKE_CURRENT_SOURCE_DIR}/res/Install.manifest PELMORA_MANIFEST)
# The pictures of the pages, by the resource names the pages load, packed
# (common/Packing.h) as resources of type "PICTURE".
set(PELMORA_PICTURES "")
set(picture_files WIZARD wizard HEADER header ABOUTLOGO about INSTALLBOX install-box
  INSTALLARROW install-arrow INSTALLPC install-pc)
while(picture_files)
  list(POP_FRONT picture_files resource file)
  set(path ${CMAKE_CURRENT_BINARY_DIR}/packed/${file}.bmp.packed)
  pelmora_pack_resource(${CMAKE_CURRENT_SOURCE_DIR}/res/art/${file}.bmp ${path})
  string(APPEND PELMORA_PICTURES "${resource} PICTURE \"${path}\"\n")
  list(APPEND picture_paths ${path})
endwhile()
add_custom_target(packed_pictures DEPENDS ${picture_paths})
# The library travels inside the program, packed (common/Packing.h;
# the program unpacks it before writing it), as resource type "DLL", name
# "UnACE", German language, and is written beside it at start. Packed to a
# fixed path so that the resource is rebuilt whenever the library changes.
set(embedded_library ${CMAKE_CURRENT_BINARY_DIR}/embedded/UnACE.dll.packed)
set(PELMORA_EMBEDDED_LIBRARY ${embedded_library} CACHE INTERNAL "")
set(PELMORA_UNACE_RESOURCE "UnACE DLL \"${embedded_library}\"")
pelmora_pack_resource($<TARGET_FILE:unace> ${embedded_library})
add_custom_target(embedded_unace DEPENDS ${embedded_library})
configure_file(Install.rc.in ${CMAKE_CURRENT_BINARY_DIR}/Install.rc @ONLY)

# Linked from the very library objects the tests run, built without
# exceptions (cmake/Options.cmake): it carries neither the unwinder nor
# unwind tables.
add_executable(Install WIN32
  main_win.cpp
  Wizard_win.cpp
  StartUp_win.cpp
  Unattended_win.cpp
  ${CMAKE_CURRENT_BINARY_DIR}/Install.rc)
set_target_properties(Install PROPERTIES OUTPUT_NAME Install)
pelmora_shipped(Install)
target_link_libraries(Install PRIVATE
  pelmora_app_logic pelmora_install_win pelmora_setupdesc_win pelmora_archive_win)
add_dependencies(Install embedded_unace packed_pictures)
set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/Install.rc APPEND PROPERTY OBJECT_DEPENDS
  ${embedded_library} ${PELMORA_MANIFEST} ${picture_paths})

