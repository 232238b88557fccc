# `make package`: a Debian package of the programs, made with CPack from the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR "The Quorvane developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "Quorvane turns a picture of at most 132 x 132 pixels into C array source
and a raw byte file for a 132 x 132 colour LCD driven by a microcontroller,
at 8-bit 3-3-2, 12-bit 4-4-4 or 16-bit 5-6-5, for PIC or ARM projects.
It has a window (quorvane), a command line (quorvane-cli) and a CMake
function (quorvane_add_image) that regenerates the array whenever the
picture changes. It is free software under the GNU GPL, version 3 or later.")
set(QUORVANE_PACKAGE_MAINTAINER "The Quorvane developers <developers@quorvane.invalid>"
    CACHE STRING "The Debian package's Maintainer field")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUORVANE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the programs link, as dpkg-shlibdeps finds them, rather than a list kept by hand; and
# libimagequant, which they load only when a palette is chosen, so no link names it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libimagequant0 (>= 2.17)")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
