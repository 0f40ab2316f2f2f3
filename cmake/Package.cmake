# cpack -G DEB, run in the build folder: offrel_<version>_<architecture>.deb, installing what
# cmake --install installs, under /usr. dpkg-shlibdeps declares the libraries the programs link;
# the dependencies below are what they only open at run time.
set(OFFREL_PACKAGE_MAINTAINER "Offrel <offrel@example.org>"
    CACHE STRING "Maintainer field of the Debian package: name <address>")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME offrel)
set(CPACK_PACKAGE_CONTACT ${OFFREL_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prepare Brivax sales offline and upload them in one batch")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Offrel Brivax lets a seller on the Brivax auction and classifieds site\n"
    "prepare sales on their own computer - title, description, categories, paid\n"
    "display options, up to eight JPEG photos, sale terms - and upload them in\n"
    "one batch. Sales can also be imported from a semicolon-separated file.\n"
    "The interface is in French.\n"
    "\n"
    "The package also holds offrel-site, a stand-in for the Brivax site to try\n"
    "the application against, and offrel-cds, which shows a table file.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Tahoma-metric font the windows are laid out for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine")
# Qt's own dialogs in French; the help page handed to the desktop's browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
