# The Debian package (cpack -G DEB, see scripts/package.sh): every program, the
# engine, the user unit, the app's desktop entry, icon and metainfo, the
# scenarios and profiles, and the manual pages. Installing it starts nothing.
include(GNUInstallDirs)
# The documentation folder carries the package's name.
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/corvane)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/org.fernhill.ampwise.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${docdir})
# Debian wants the change log compressed, without a time stamp in the gzip header.
set(changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(
  OUTPUT ${changelog}
  COMMAND sh -c "gzip -9n < \"$1\" > \"$2\"" changelog ${PROJECT_SOURCE_DIR}/packaging/changelog ${changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(changelog ALL DEPENDS ${changelog})
install(FILES ${changelog} DESTINATION ${docdir})
install(FILES ${PROJECT_SOURCE_DIR}/scenarios/commute.json ${PROJECT_SOURCE_DIR}/scenarios/week.json
              ${PROJECT_SOURCE_DIR}/scenarios/weekend.json ${PROJECT_SOURCE_DIR}/scenarios/workday.json
        DESTINATION ${CMAKE_INSTALL_DATADIR}/corvane/scenarios)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VENDOR Fernhill)
set(CPACK_PACKAGE_CONTACT "Fernhill <corvane@fernhill.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "battery saver that switches radios off while the device is locked")
# The long description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Corvane switches the radios of a Linux phone or laptop (WiFi, cellular data
and speed, Bluetooth, location) off when it is locked and back on when its
user returns, under a saving strategy the user chooses, wakes them now and
then in the background, and records the battery's state.

This package holds the corvaned user service and the engine it loads, the
ampwise app (settings, application lists, battery graphs and details),
phonesim (a simulated phone that compares the strategies over a day) and
corvane-notify.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://fernhill.org/corvane/)
# The dependencies come from the shared libraries the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The plot script of phonesim draws with matplotlib; the session bus carries
# the app's notifications to the engine.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3, python3-matplotlib, dbus-user-session")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_STRIP_FILES TRUE)
include(CPack)
