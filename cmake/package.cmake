# The Debian package (`cpack -G DEB` in a build configured with -DCMAKE_INSTALL_PREFIX=/usr).
# Its run-time dependencies are read from the binaries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zepimport)
# The product version (1.10.0), not the file version (2009.1.10): apt compares the package's
# version, and the next product version must come after this one.
set(CPACK_PACKAGE_VERSION ${ZEP_PRODUCT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kestrom")
set(CPACK_PACKAGE_CONTACT "ZEP Import maintainers <zepimport@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "resident import of meter archives from handheld devices and flash cards")
set(CPACK_PACKAGE_DESCRIPTION
    "ZEP Import brings meter archives from ZEP, Tessal and Kolvar handheld devices on a serial\n\
port and from flash cards into the Velmora heat-metering dispatch system. It runs as a\n\
desktop program or as a systemd user service (zepimport --headless).")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
include(CPack)
