# Installation into the GNU folders and the Debian package (cpack -G DEB).
# Included from the top-level CMakeLists.txt; the "tarvelo" target must exist.

include(GNUInstallDirs)

set(TARVELO_APP_ID io.github.tarvelo.Tarvelo)
set(TARVELO_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})

# Directories made by the install get the usual 0755, whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE
  GROUP_READ GROUP_EXECUTE
  WORLD_READ WORLD_EXECUTE)

# The manual page and the changelog are installed compressed, without a time
# stamp in the gzip header, so that two builds give the same bytes. The
# package is native (its version has no Debian revision), so its changelog is
# changelog.gz.
find_program(TARVELO_GZIP gzip REQUIRED)
set(TARVELO_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
add_custom_command(
  OUTPUT ${TARVELO_PACKAGING_OUT}/tarvelo.1.gz ${TARVELO_PACKAGING_OUT}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TARVELO_PACKAGING_OUT}
  COMMAND ${TARVELO_GZIP} -9nc ${TARVELO_PACKAGING_DIR}/tarvelo.1 > ${TARVELO_PACKAGING_OUT}/tarvelo.1.gz
  COMMAND ${TARVELO_GZIP} -9nc ${TARVELO_PACKAGING_DIR}/changelog > ${TARVELO_PACKAGING_OUT}/changelog.gz
  DEPENDS ${TARVELO_PACKAGING_DIR}/tarvelo.1 ${TARVELO_PACKAGING_DIR}/changelog
  COMMENT "Compressing the manual page and the changelog"
  VERBATIM)
add_custom_target(tarvelo_packaging_files ALL
  DEPENDS ${TARVELO_PACKAGING_OUT}/tarvelo.1.gz ${TARVELO_PACKAGING_OUT}/changelog.gz)

install(TARGETS tarvelo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${TARVELO_PACKAGING_DIR}/${TARVELO_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TARVELO_PACKAGING_DIR}/${TARVELO_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TARVELO_PACKAGING_DIR}/icons/tarvelo.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES ${TARVELO_PACKAGING_DIR}/icons/tarvelo-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME tarvelo.png)
endforeach()
install(FILES ${TARVELO_PACKAGING_OUT}/tarvelo.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${TARVELO_PACKAGING_DIR}/copyright ${TARVELO_PACKAGING_OUT}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarvelo)

# Debian package: tarvelo_<version>_<arch>.deb
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvelo)
set(CPACK_PACKAGE_VENDOR "The Tarvelo developers")
set(CPACK_PACKAGE_CONTACT "The Tarvelo developers <developers@tarvelo.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "book rooms, people and machines in time slots")
set(CPACK_PACKAGE_DESCRIPTION
  "Tarvelo books resources (rooms, people, machines) in time slots. A clinic,
a workshop or a school defines groups with their working day and slot length,
the resources of each group, appointment types with colours and durations,
and contacts; then books, moves, repeats, searches and prints appointments on
a colourful schedule. Several workstations share one database (an embedded
SQLite file or a PostgreSQL server) and see each other's changes within
seconds.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# Library dependencies come from dpkg-shlibdeps. The SQLite driver is a Qt
# plugin loaded at run time, which shlibdeps cannot see; the PostgreSQL driver
# is needed only for a database on a server.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
