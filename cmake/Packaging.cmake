# make package: a Debian package of what the install puts in place, for /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orbisk)
set(CPACK_PACKAGE_VENDOR "The Orbisk developers")
set(CPACK_PACKAGE_CONTACT "The Orbisk developers <${ORBISK_SUPPORT_ADDRESS}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "finds, shows and saves the icons of Windows programs")
set(CPACK_PACKAGE_DESCRIPTION
  "Orbisk finds the icons inside Windows programs, libraries and icon libraries,
and shows them with the icons of icon, cursor and bitmap files in one grid.
Browse your folders, scan a folder or a single file, mark the icons you want
and save them as icon files (at one of six colour depths) or bitmap files.
orbisk-extract does the same from the command line, and orbisk-thumbnailer
shows their icons as thumbnails in file managers.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ORBISK_WEB_ADDRESS})
# The libraries the programs link are found by dpkg-shlibdeps; Qt loads its
# window-system plug-ins at run time, so those are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme")
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
