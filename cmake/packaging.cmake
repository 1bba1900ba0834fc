# Debian package: the updater in its own folder under /opt, because it looks for the firmware image beside
# itself (QCoreApplication::applicationDirPath()); a desktop entry and an icon put it in the application menu.
set(VMFWUPD_INSTALL_DIR "/opt/vmfwupd")

install(TARGETS vmfwupd RUNTIME DESTINATION "${VMFWUPD_INSTALL_DIR}")
# The window icon is read from the working directory; the desktop entry starts the updater in its folder.
install(FILES "${PROJECT_SOURCE_DIR}/resources/OwlSticker.png"
        DESTINATION "${VMFWUPD_INSTALL_DIR}" RENAME velmoraowl.png)
install(FILES "${PROJECT_SOURCE_DIR}/resources/OwlSticker.png" DESTINATION share/pixmaps RENAME vmfwupd.png)
install(FILES "${PROJECT_SOURCE_DIR}/app/vmfwupd.desktop" DESTINATION share/applications)
install(FILES "${PROJECT_SOURCE_DIR}/app/firmware-goes-here.txt" DESTINATION "${VMFWUPD_INSTALL_DIR}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_NAME vmfwupd)
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "Velmora helpdesk <helpdesk@velmora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Firmware updater for the Velmora base station")
set(CPACK_PACKAGE_DESCRIPTION
    "Finds the Velmora base station on the home network, shows its version and updates its firmware.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
