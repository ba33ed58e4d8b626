# The Debian package (tools/package.sh): cpe-manager_<version>_<arch>.deb from what
# cmake/Install.cmake installs, with dependencies computed from the shared libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cpe-manager)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "manage the wireless CPE units and access points on the local network")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "CPE Management finds the outdoor wireless CPE units and access points on every"
    "local subnet by a UDP broadcast and lists them with their address, mode, SSID,"
    "channel and firmware version. It renames and configures them, bridges a CPE to"
    "a surveyed access point, reboots or restores many at once and upgrades their"
    "firmware in batches.")
set(CPACK_PACKAGE_CONTACT "${CPE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The maintainer script makes the helpers' system group with addgroup and gives the helper
# servers CAP_NET_BIND_SERVICE with setcap; the shared libraries' dependencies are added to these.
set(CPACK_DEBIAN_PACKAGE_DEPENDS adduser)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libcap2-bin)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/postinst ${PROJECT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
include(CPack)
