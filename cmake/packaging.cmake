# The Debian package: `cpack -G DEB` in a build folder after building.
# Its dependencies are the Debian runtime packages of the libraries the
# programs link, found by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME karwen)
set(CPACK_PACKAGE_VENDOR "The KARWEN developers")
set(CPACK_PACKAGE_CONTACT "The KARWEN developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "hemispherical photographs: convert, fit and measure canopy cover")
set(CPACK_PACKAGE_DESCRIPTION
  "KARWEN opens circular fisheye photographs, converts them between fisheye projections and into perspective views, fits the image circle and the view direction with the mouse, measures class shares by point counting and computes canopy openness, DIFN, gap fraction and leaf area index. karwen-cli converts whole archives from the shell.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The KARWEN developers")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its platform plugins at run time, so no library names them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
