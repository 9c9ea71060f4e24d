# The Debian package of the library, its headers and package files, the
# gmpbill program and the reference host's data: `cpack -G DEB` in the build
# tree (scripts/package-check.sh builds and checks it).
set(CPACK_PACKAGE_NAME ${ORB_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "OrbGMPBillEvent developers")
set(CPACK_PACKAGE_CONTACT "OrbGMPBillEvent developers <orbgmpbillevent@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "GMP document rules for an ERP's bill framework, with a reference host on SQLite")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
# The package carries the binaries without their debugging information.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Plug-ins a host creates by ProgID, shows a bill interface and raises bill events on:\n\
validations, field filling, yields, toolbar states, audit and life-cycle steps of\n\
pharmaceutical GMP documents. Includes the headers and CMake/pkg-config files to\n\
build a host, and gmpbill, the reference host's command-line program.")
# The run-time dependencies are read off the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
include(CPack)
