# The Windows program: one Calvorigne.exe with nothing beside it, its icon and version
# information inside, Qt's French dialog texts embedded; and its NSIS installer.
set_target_properties(calvorigne PROPERTIES OUTPUT_NAME Calvorigne)

# The window icon for Explorer and the taskbar, from the sizes rendered for the window.
find_program(MAGICK_CONVERT convert REQUIRED)
set(pictures "${CMAKE_BINARY_DIR}/pictures")
set(icon_sizes 16 24 32 48 64 128 256)
list(TRANSFORM icon_sizes PREPEND "${pictures}/calvorigne-" OUTPUT_VARIABLE icon_pngs)
list(TRANSFORM icon_pngs APPEND ".png")
add_custom_command(OUTPUT "${CMAKE_BINARY_DIR}/calvorigne.ico"
  COMMAND "${MAGICK_CONVERT}" ${icon_pngs} "${CMAKE_BINARY_DIR}/calvorigne.ico"
  DEPENDS ${icon_pngs} VERBATIM)
configure_file(packaging/windows/calvorigne.rc.in "${CMAKE_BINARY_DIR}/calvorigne.rc" @ONLY)
set_source_files_properties("${CMAKE_BINARY_DIR}/calvorigne.rc" PROPERTIES
  OBJECT_DEPENDS "${CMAKE_BINARY_DIR}/calvorigne.ico")
target_sources(calvorigne PRIVATE "${CMAKE_BINARY_DIR}/calvorigne.rc")

# Qt's French texts ("Oui", "Non", "Annuler"), from the build machine's Qt of the same version.
find_file(QTBASE_FR qtbase_fr.qm PATHS /usr/share/qt6/translations NO_CMAKE_FIND_ROOT_PATH REQUIRED)
qt_add_resources(calvorigne_ui translations PREFIX "/translations" BASE /usr/share/qt6/translations
  FILES "${QTBASE_FR}")

# The installer: makensis from the build folder.
find_program(MAKENSIS makensis)
if(MAKENSIS)
  add_custom_target(installer ALL
    COMMAND "${MAKENSIS}" -V2 -DVERSION=${PROJECT_VERSION}
            "-DEXE=$<TARGET_FILE:calvorigne>" "-DICON=${CMAKE_BINARY_DIR}/calvorigne.ico"
            "-DOUTFILE=${CMAKE_BINARY_DIR}/Calvorigne-setup.exe"
            "${CMAKE_SOURCE_DIR}/packaging/windows/calvorigne.nsi"
    DEPENDS calvorigne "${CMAKE_BINARY_DIR}/calvorigne.ico"
    BYPRODUCTS "${CMAKE_BINARY_DIR}/Calvorigne-setup.exe" VERBATIM)
endif()
