# `cpack -G DEB` in a build folder: one Debian package with the programs and
# the library, as `cmake --install` lays them out under /usr.
set(CPACK_PACKAGE_NAME korvel)
set(CPACK_PACKAGE_VENDOR Korvel)
set(CPACK_PACKAGE_CONTACT "Korvel developers <korvel-dev@lists.korvel.org>")
# Debian's synopsis is one short line.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "polynomial root finder and arbitrary-precision library")
set(CPACK_PACKAGE_DESCRIPTION "Korvel finds every root, real and complex, of a polynomial with complex
coefficients to the precision you choose, in a window (korvel) or on the
command line (korvel-cli). Its C++20 library, with headers, a CMake package
and a pkg-config file, has integers of any length, binary floating point of
any precision with the elementary functions, complex numbers, the Gamma
function and radix conversion.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
# The programs go in without their symbol tables, as Debian's binaries do.
set(CPACK_STRIP_FILES ON)
# The dependencies, the Qt runtime packages (libqt6widgets6, libqt6gui6,
# libqt6core6) among them, come from what the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
