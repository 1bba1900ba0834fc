# What `cmake --install` lays out, and the Debian package that CPack builds from the same rules.
#
# The updater looks for the firmware image beside itself (QCoreApplication::applicationDirPath()), so it lives
# in a folder of its own, lib/vmfwupd, where the user puts the image; bin/vmfwupd is a relative symbolic link to
# it (applicationDirPath() resolves the link, so the image is still looked for in lib/vmfwupd). The window icon
# velmoraowl.png is read from the working directory: the menu entry starts the updater in lib/vmfwupd, where a
# link points to the picture in share/vmfwupd (pictures are architecture-independent data).
#
# The desktop entry, the manual page and the note in the program folder name absolute paths, so they are filled
# in when installing, with the prefix given then (`cmake --install build --prefix /usr`, or CPack's /usr).
#
# The station answers the discovery broadcast with a unicast datagram to UDP port 23456, which a stateful host
# firewall drops (its connection tracking does not tie it to the broadcast). The package brings a firewalld
# service and a ufw application profile, both named vmfwupd, for the owner to enable; nothing enables them.
# ufw reads profiles only from /etc/ufw/applications.d, so that one goes into the configuration folder of the
# prefix (/etc for /usr) and is a conffile of the package.
set(VMFWUPD_PROGRAM_SUBDIR lib/vmfwupd)
set(VMFWUPD_STAGE_DIR "${PROJECT_BINARY_DIR}/installed")

# The command line vmfwupd-cli looks for the image in the same place, and is laid out alike.
install(TARGETS vmfwupd vmfwupd-cli RUNTIME DESTINATION ${VMFWUPD_PROGRAM_SUBDIR})
file(MAKE_DIRECTORY "${VMFWUPD_STAGE_DIR}/links")
foreach(program vmfwupd vmfwupd-cli)
    file(CREATE_LINK ../${VMFWUPD_PROGRAM_SUBDIR}/${program} "${VMFWUPD_STAGE_DIR}/links/${program}" SYMBOLIC)
    install(FILES "${VMFWUPD_STAGE_DIR}/links/${program}" DESTINATION bin)
endforeach()
file(CREATE_LINK ../../share/vmfwupd/velmoraowl.png "${VMFWUPD_STAGE_DIR}/links/velmoraowl.png" SYMBOLIC)
install(FILES "${VMFWUPD_STAGE_DIR}/links/velmoraowl.png" DESTINATION ${VMFWUPD_PROGRAM_SUBDIR})
install(FILES "${PROJECT_SOURCE_DIR}/resources/OwlSticker.png" DESTINATION share/vmfwupd RENAME velmoraowl.png)

install(CODE "
set(VMFWUPD_VERSION \"${PROJECT_VERSION}\")
set(VMFWUPD_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
set(VMFWUPD_STAGE_DIR \"${VMFWUPD_STAGE_DIR}\")
set(VMFWUPD_PROGRAM_SUBDIR \"${VMFWUPD_PROGRAM_SUBDIR}\")")
install(SCRIPT "${CMAKE_CURRENT_LIST_DIR}/stage-installed-files.cmake")
install(FILES "${VMFWUPD_STAGE_DIR}/firmware-goes-here.txt" DESTINATION ${VMFWUPD_PROGRAM_SUBDIR})
install(FILES "${VMFWUPD_STAGE_DIR}/vmfwupd.desktop" DESTINATION share/applications)
install(FILES "${VMFWUPD_STAGE_DIR}/vmfwupd.1.gz" "${VMFWUPD_STAGE_DIR}/vmfwupd-cli.1.gz" DESTINATION share/man/man1)
install(FILES "${VMFWUPD_STAGE_DIR}/changelog.gz" "${PROJECT_SOURCE_DIR}/packaging/copyright"
        DESTINATION share/doc/vmfwupd)

foreach(size 16 22 24 32 48 64 128 256)
    install(FILES "${PROJECT_SOURCE_DIR}/resources/icons/vmfwupd-${size}.png"
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME vmfwupd.png)
endforeach()
install(FILES "${PROJECT_SOURCE_DIR}/packaging/example.velmora.vmfwupd.metainfo.xml" DESTINATION share/metainfo)
install(FILES "${PROJECT_SOURCE_DIR}/packaging/lintian-overrides" DESTINATION share/lintian/overrides
        RENAME vmfwupd)
install(FILES "${PROJECT_SOURCE_DIR}/packaging/vmfwupd.firewalld.xml" DESTINATION lib/firewalld/services
        RENAME vmfwupd.xml)
install(CODE "file(INSTALL \"${PROJECT_SOURCE_DIR}/packaging/vmfwupd.ufw\"
     DESTINATION \"\${VMFWUPD_SYSCONF_DIR}/ufw/applications.d\" RENAME vmfwupd)")

set(CPACK_GENERATOR DEB)
# CPack installs with DESTDIR and the real prefix, so that the files filled in when installing name /usr, not
# CPack's staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_NAME vmfwupd)
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "Velmora helpdesk <helpdesk@velmora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Firmware updater for the Velmora base station")
# CPack puts the summary above this text and indents it as the control file wants.
set(CPACK_PACKAGE_DESCRIPTION "The Velmora Updater finds the Velmora base station on the home network,
shows its MAC address and software version and updates its firmware: it
reboots the station, uploads the firmware image, checks that it arrived
whole, starts the upgrade and follows it until the station is back.
The command vmfwupd-cli does the same without a window, for helpdesks,
installers and scripts, with exit codes and progress lines.

The window and the command line speak English and Dutch. The firmware
image is not part of the package: it goes into /usr/lib/vmfwupd.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://velmora.example/vmfwupd/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt 6 keeps its platform plugins (X11, Wayland) in a package of their own, which no library dependency names.
if(VMFWUPD_QT STREQUAL "6")
    set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_SOURCE_DIR}/packaging/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
