# Runs when installing (see packaging.cmake): fills the install prefix into the files that name absolute paths,
# finds the configuration folder that goes with the prefix (/etc for /usr, as GNUInstallDirs has it) and
# compresses the manual page and the changelog as Debian wants them (gzip -9n: no name, no time stamp, so the
# same sources give the same bytes).
set(VMFWUPD_BIN_DIR "${CMAKE_INSTALL_PREFIX}/bin")
set(VMFWUPD_LIB_DIR "${CMAKE_INSTALL_PREFIX}/lib")
set(VMFWUPD_PROGRAM_DIR "${CMAKE_INSTALL_PREFIX}/${VMFWUPD_PROGRAM_SUBDIR}")
set(VMFWUPD_SHARE_DIR "${CMAKE_INSTALL_PREFIX}/share")
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(VMFWUPD_SYSCONF_DIR /etc)
else()
    set(VMFWUPD_SYSCONF_DIR "${CMAKE_INSTALL_PREFIX}/etc")
endif()
set(packaging "${VMFWUPD_SOURCE_DIR}/packaging")

configure_file("${packaging}/vmfwupd.desktop.in" "${VMFWUPD_STAGE_DIR}/vmfwupd.desktop" @ONLY)
configure_file("${packaging}/firmware-goes-here.txt.in" "${VMFWUPD_STAGE_DIR}/firmware-goes-here.txt" @ONLY)
configure_file("${packaging}/vmfwupd.1.in" "${VMFWUPD_STAGE_DIR}/vmfwupd.1" @ONLY)
configure_file("${packaging}/vmfwupd-cli.1.in" "${VMFWUPD_STAGE_DIR}/vmfwupd-cli.1" @ONLY)
configure_file("${packaging}/changelog" "${VMFWUPD_STAGE_DIR}/changelog" COPYONLY)

foreach(file vmfwupd.1 vmfwupd-cli.1 changelog)
    execute_process(COMMAND gzip -9nf "${file}" WORKING_DIRECTORY "${VMFWUPD_STAGE_DIR}" RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "gzip ${VMFWUPD_STAGE_DIR}/${file} failed: ${rc}")
    endif()
endforeach()
