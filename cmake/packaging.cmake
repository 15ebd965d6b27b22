# The Debian package (bash scripts/package.sh): what cmake --install puts
# under /usr, with the runtime packages it needs.
if(WIN32)
    return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fennox)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Monitor for the Fennox DCC and Motorola track-signal sniffer")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads the byte stream the Fennox sniffer sends over a serial port, rebuilds the DCC\n"
    "packets and shows one German line per packet: idle, reset, locomotive speed and\n"
    "functions, accessories, service-mode CV commands and RailCom NOP, with display\n"
    "switches, an address filter and repeat suppression. With fennox-decode,\n"
    "fennox-stats, fennox-record and the simulated device fennox-sim.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "Fennox developers <fennox@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The shared libraries (Qt 6, the C++ runtime) are found by dpkg-shlibdeps;
# what the program loads at run time it must be told: Qt's German dialog
# texts, and the fonts the window's fixed layout was measured with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-dejavu-core")
set(CPACK_STRIP_FILES ON)
include(CPack)
