# The Debian package: `cpack -G DEB` in the build folder. It installs what `cmake --install` does
# (the program, its link in bin/, the menu entry, the icon and the manual page) under /usr, and
# declares the Debian packages it needs: the libraries found by dpkg-shlibdeps, and beside them the
# Qt platform plugins that show the window and the fonts that stand in for the letter's.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillfern-epistle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quillfern <support@quillfern.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Fills a proposal letter, once or for every recipient of a list")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation, fonts-crosextra-carlito, fonts-crosextra-caladea")
include(CPack)
