# The Debian package, built from the install rules by scripts/build-package.sh (cpack -G DEB).
set(CPACK_PACKAGE_NAME tandor)
set(CPACK_PACKAGE_VENDOR "The Tandor developers")
set(CPACK_PACKAGE_CONTACT "The Tandor developers <support@tandor.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeps pairs of folders in step")
set(CPACK_PACKAGE_DESCRIPTION
  "Tandor compares pairs of folders and synchronises them in one or both
directions, with include, exclude and delete masks per pair, a daily log,
and unattended runs from cron whose exit status tells whether everything
was done.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tandor.example.org/")
set(CPACK_STRIP_FILES ON)
# Directories in the package as Debian has them, whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from the libraries the program and its module link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the program loads at run time rather than links: Qt's SVG plugins (the toolbar icons);
# Qt's own translations for its dialogs are welcome.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils, shared-mime-info")
set(CPACK_GENERATOR DEB)
include(CPack)
