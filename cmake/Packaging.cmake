# Install rules and the Debian package.
#
#   cmake --install build/release --prefix stage   gives exactly
#     bin/kalvorden
#     libexec/kalvorden/kalvorden-full
#     share/man/man1/kalvorden.1
#     share/doc/kalvorden/{README.md,method.md,CHANGELOG.md,copyright,examples/*}
#   cmake --workflow --preset package               builds build/release/kalvorden_X.Y.Z_amd64.deb
#
# packaging/check-install-tree.cmake holds the same list and checks it.

install(TARGETS kalvorden RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS kalvorden-full RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/kalvorden)
install(FILES ${PROJECT_SOURCE_DIR}/docs/kalvorden.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/method.md
              ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kalvorden)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The KALVORDEN developers")
set(CPACK_PACKAGE_CONTACT "KALVORDEN maintainers <maintainers@kalvorden.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reinforced-concrete bridge deck slab design, service-load method")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # kalvorden_X.Y.Z_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the program links are found by dpkg-shlibdeps; the
# font is named here because the PDF output draws with it at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "KALVORDEN designs the reinforced-concrete deck slab of a highway bridge by
service-load (working-stress) design, in metric units. For every combination
of the entered wheel loads, top covers, future paving allowances and allowable
steel and concrete stresses it sweeps the effective span from 1.000 m to
3.750 m and finds the slab thickness by iteration on the slab's own weight,
the main bar size and spacing, and the distribution bars. All design
arithmetic is IEEE binary128.
.
The design is written as a line-printer report and, on request, as plain
text, CSV and a print-ready PDF with charts; a calculation sheet shows every
step of one span. A local web page offers the same design from a form.
The method is described in /usr/share/doc/kalvorden/method.md.")
# Debian wants the man page compressed and a changelog.gz beside the
# copyright file; both are made in the package's staging tree only, so a
# plain `cmake --install` keeps the readable files.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/finish-debian-tree.cmake)
# The release date is that of the changelog's latest entry.
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md KALVORDEN_RELEASE_LINE
     REGEX "^## \\[[0-9]+\\.[0-9]+\\.[0-9]+\\] - [0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$"
     LIMIT_COUNT 1)
string(REGEX REPLACE "^.* - " "" CPACK_KALVORDEN_RELEASE_DATE "${KALVORDEN_RELEASE_LINE}")
include(CPack)
