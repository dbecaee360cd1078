# What the Windows program carries besides its code: its icon (painted by
# tools/iconpaint), its version and its manifest as resources of tockaro.exe,
# and the user guide written for Windows in the program folder, under the name
# the About box gives (installed after the free desktops' guide, over it).
if(NOT WIN32)
    return()
endif()
set(TOCKARO_MANIFEST_FILE ${CMAKE_BINARY_DIR}/tockaro.manifest)
configure_file(assets/windows/tockaro.manifest.in ${TOCKARO_MANIFEST_FILE} @ONLY)
configure_file(assets/windows/tockaro.rc.in ${CMAKE_BINARY_DIR}/tockaro.rc @ONLY)
target_sources(tockaro PRIVATE ${CMAKE_BINARY_DIR}/tockaro.rc)
add_dependencies(tockaro icons)
# The resource compiler's inputs are named inside the script, where the build
# does not look for them.
set_source_files_properties(${CMAKE_BINARY_DIR}/tockaro.rc PROPERTIES
    OBJECT_DEPENDS "${TOCKARO_ICON_FILE};${TOCKARO_MANIFEST_FILE}")
install(FILES docs/windows-guide.md DESTINATION . RENAME user-guide.md)
