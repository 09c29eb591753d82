# The Debian package korcad_<version>_<arch>.deb (scripts/package.sh): the installed tree below
# /usr. Its Depends are computed from the programs and libraries by dpkg-shlibdeps; what is
# loaded only at run time (Qt's platform plug-ins for a display, fonts) is recommended.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korcad)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "korDialog")
set(CPACK_PACKAGE_CONTACT "korDialog developers <kordialog@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "AutoLISP host with the korDialog dialogs of the water-network suite")
set(CPACK_PACKAGE_DESCRIPTION "korcad runs AutoLISP programs on a DXF drawing and loads the
korDialog module, which gives them ready-made modal dialogs (buttons, values,
grids, line types and weights, colours) and the CAD-class assignment of the
drinking-water network suite. Includes sample databases, a sample drawing and
LISP programs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Our own libraries are private to the package (lib/korcad): dpkg-shlibdeps finds them there
# and asks no other package for them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/${KOR_PKGLIBDIR}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins, fonts-dejavu-core")
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)
