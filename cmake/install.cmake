# Installation: the two shared libraries with their SONAMEs, the public
# headers, the gmpbill program, the reference host's data, a CMake package
# config with exported targets and a pkg-config file.
#
# A host finds the installed library with
#   find_package(OrbGMPBillEvent 1.0 REQUIRED)
#   target_link_libraries(myhost PRIVATE OrbGMPBillEvent::OrbGMPBillEvent)
# or, without CMake, with `pkg-config --cflags --libs orbgmpbillevent`.

# On a multiarch Debian system the libraries belong in lib/<triplet> under
# any prefix (/usr/local/lib/<triplet> is on the loader's path there too), so
# a package built from a /usr/local tree still puts them where Debian does.
if(NOT DEFINED CMAKE_INSTALL_LIBDIR AND CMAKE_LIBRARY_ARCHITECTURE)
  set(CMAKE_INSTALL_LIBDIR "lib/${CMAKE_LIBRARY_ARCHITECTURE}"
      CACHE PATH "Object code libraries (lib/<triplet> on multiarch systems)")
endif()
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ORB_PACKAGE_NAME orbgmpbillevent)
set(ORB_INCLUDE_SUBDIR ${CMAKE_INSTALL_INCLUDEDIR}/OrbGMPBillEvent)
set(ORB_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/OrbGMPBillEvent)
set(ORB_DATA_DIR ${CMAKE_INSTALL_DATADIR}/${ORB_PACKAGE_NAME})

# The file names follow the version; the SONAME follows the major version only
# (see "ABI" in the README).
set_target_properties(OrbGMPBillEvent PROPERTIES VERSION ${PROJECT_VERSION}
                                                 SOVERSION ${PROJECT_VERSION_MAJOR})
set_target_properties(orbhost PROPERTIES OUTPUT_NAME OrbGMPBillEventHost EXPORT_NAME Host
                                         VERSION ${PROJECT_VERSION}
                                         SOVERSION ${PROJECT_VERSION_MAJOR})

# The public headers need C++20; hosts that link the targets get it too.
target_compile_features(orbhost PUBLIC cxx_std_20)

# gmpbill finds the libraries beside it under any prefix; a system prefix
# needs no run path.
list(FIND CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES "${CMAKE_INSTALL_FULL_LIBDIR}" ORB_LIBDIR_IS_SYSTEM)
if(ORB_LIBDIR_IS_SYSTEM EQUAL -1)
  file(RELATIVE_PATH ORB_BIN_TO_LIB ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(gmpbill PROPERTIES INSTALL_RPATH "$ORIGIN/${ORB_BIN_TO_LIB}")
endif()

install(TARGETS orbhost OrbGMPBillEvent
        EXPORT OrbGMPBillEventTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_SKIP
        INCLUDES DESTINATION ${ORB_INCLUDE_SUBDIR})
# The unversioned link names are for building against the library only.
install(TARGETS orbhost OrbGMPBillEvent
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_ONLY)
install(TARGETS gmpbill RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The host's SQLite additions module, in the package's folder beside the
# libraries; the host looks for it there, relative to its own library.
set(ORB_SQLITE_EXTENSION_BESIDE ${ORB_PACKAGE_NAME}/$<TARGET_FILE_NAME:orbsqlext>)
install(TARGETS orbsqlext LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/${ORB_PACKAGE_NAME})
target_compile_definitions(orbrefhost PRIVATE
                           ORB_SQLITE_EXTENSION_BESIDE="${ORB_SQLITE_EXTENSION_BESIDE}")

# The public headers: the host contracts and the library entry with what it
# includes. Everything else (services, forms, bills, the error traps) is private.
set(ORB_PUBLIC_HOST_HEADERS
    automation_error.h
    bill_interface.h
    component_factory.h
    components.h
    convert.h
    dictionary.h
    list_interface.h
    object.h
    platform.h
    recordset.h
    toolbar.h
    variant.h)
set(ORB_PUBLIC_FRAME_HEADERS
    connections.h
    export.h
    plugin.h
    registry.h
    version.h)
list(TRANSFORM ORB_PUBLIC_HOST_HEADERS PREPEND ${PROJECT_SOURCE_DIR}/host/)
list(TRANSFORM ORB_PUBLIC_FRAME_HEADERS PREPEND ${PROJECT_SOURCE_DIR}/frame/)
install(FILES ${ORB_PUBLIC_HOST_HEADERS} DESTINATION ${ORB_INCLUDE_SUBDIR}/host)
install(FILES ${ORB_PUBLIC_FRAME_HEADERS} DESTINATION ${ORB_INCLUDE_SUBDIR}/frame)

# The reference host's bill templates, table schemas and message catalogs. The
# program carries them built in; the files are for reading and for other hosts.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/refhost/templates/ DESTINATION ${ORB_DATA_DIR}/templates
        FILES_MATCHING PATTERN "*.json")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/refhost/schema/ DESTINATION ${ORB_DATA_DIR}/schema
        FILES_MATCHING PATTERN "*.sql")
install(DIRECTORY ${PROJECT_SOURCE_DIR}/refhost/lang/ DESTINATION ${ORB_DATA_DIR}/lang
        FILES_MATCHING PATTERN "*.po")
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${ORB_PACKAGE_NAME})

# The CMake package: targets OrbGMPBillEvent::OrbGMPBillEvent and
# OrbGMPBillEvent::Host; any 1.x satisfies a request for 1.0.
install(EXPORT OrbGMPBillEventTargets NAMESPACE OrbGMPBillEvent:: DESTINATION ${ORB_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/OrbGMPBillEventConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/OrbGMPBillEventConfig.cmake
                              INSTALL_DESTINATION ${ORB_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/OrbGMPBillEventConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/OrbGMPBillEventConfig.cmake
              ${PROJECT_BINARY_DIR}/OrbGMPBillEventConfigVersion.cmake
        DESTINATION ${ORB_CMAKE_DIR})

# pkg-config, for builds that are not CMake. Paths relative to the prefix keep
# the file right wherever the tree is installed or unpacked.
file(RELATIVE_PATH ORB_PC_PREFIX_FROM_PCDIR ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig
     ${CMAKE_INSTALL_PREFIX})
configure_file(${PROJECT_SOURCE_DIR}/cmake/orbgmpbillevent.pc.in
               ${PROJECT_BINARY_DIR}/orbgmpbillevent.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/orbgmpbillevent.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
