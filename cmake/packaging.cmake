# The Debian package: `cpack -G DEB` in the build folder (or `cmake --build build --target package`).
# It holds what `cmake --install` puts into a prefix; its dependencies are the run-time libraries
# the program links (found by dpkg-shlibdeps) and the plugins and fonts it loads at run time.
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "Quillon")
set(CPACK_PACKAGE_CONTACT "Quillon developers <quillon@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "电子处方 — ${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "A desktop prescription program for small outpatient clinics: patients, prescriptions priced
against the clinic's own catalogue, printing, templates, medical records, the outpatient log
and statistics. The interface is Chinese. Licensed under the GNU GPL, version 3 or later.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded as plugins, so dpkg-shlibdeps cannot see them: the screen (xcb), both database drivers
# (the PostgreSQL client driver only, never the server), the fonts the windows and printouts use and
# Qt's Chinese translation of its dialogs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite, libqt6sql6-psql, fonts-noto-cjk, qt6-translations-l10n")
# pg_dump makes the exit backup of data kept on a server; without it the program writes its own export.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "postgresql-client")
include(CPack)
