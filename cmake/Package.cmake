# `make package`: a Debian package of what cmake/Install.cmake installs, its library
# dependencies computed by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME navrelay)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "NavRelay developers")
set(CPACK_PACKAGE_CONTACT "NavRelay developers <developers@navrelay.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "drive a web browser with small line scripts")
set(CPACK_PACKAGE_DESCRIPTION "NavRelay runs scripts of one command per line (go to an address,
click a link by its text, fill a field, press a button, test the page and
jump) against its built-in browser engine or a real Chromium over the
DevTools protocol, from its main window or from the headless runner
navrelay-run.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at the first transfer rather than linked, so the shared-library scan does not see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4 (>= 7.80)")
# The built-in engine needs no browser; --browser chromium and the window's Chromium setting do.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS chromium)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS bash-completion)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
