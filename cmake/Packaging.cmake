# A Debian package of the installation: cpack -G DEB in the build tree, with the
# programs stripped. Its dependencies are those of the programs' libraries
# (dpkg-shlibdeps) and the libraries loaded at run time: Qt's platform plugins
# and libxcb-randr0.
set(CPACK_PACKAGE_NAME ${SETTINGS_INSTALLED_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Settings developers")
set(CPACK_PACKAGE_CONTACT "The Settings developers <settings@vellumine.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Edit the run-time settings of a Vellumine application")
# The extended description below the summary, wrapped as Debian wants it; CPack
# indents each line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The preferences editor of applications made with the Vellumine multimedia
layer: it reads their run-time settings from the tooltypes of their Amiga
icons (classic, NewIcons, OS 3.5 and PNG icons), edits them in one window or
from the command line, and writes them back into the icons of every build.
It shows the application's AmigaGuide manual in its own viewer.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${SETTINGS_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libxcb-randr0: opened by the command line when it asks the display for its screens.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libxcb-randr0")
include(CPack)
