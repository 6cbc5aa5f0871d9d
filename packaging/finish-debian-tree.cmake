# Run by CPack after it has installed the files into the package's staging
# tree and before it builds the .deb. Debian wants the man page compressed
# at the highest level without a time stamp, and a native package's
# changelog.gz (in Debian's changelog form) beside its copyright file. Both
# are made here, in the staging tree only, so a plain `cmake --install` keeps
# the readable files.

set(root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(page "${root}/share/man/man1/kalvorden.1")
set(doc "${root}/share/doc/kalvorden")

function(gzip_in_place file)
  execute_process(COMMAND gzip -9 -n -f "${file}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${file} failed: ${status}")
  endif()
  file(CHMOD "${file}.gz" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()

if(NOT EXISTS "${page}")
  message(FATAL_ERROR "the man page is not in the staging tree: ${page}")
endif()
gzip_in_place("${page}")

# The changelog entry's date is the release date of CHANGELOG.md's latest
# entry, so the package is the same whenever it is built.
execute_process(COMMAND date -u -R -d "${CPACK_KALVORDEN_RELEASE_DATE} 00:00:00"
                OUTPUT_VARIABLE stamp OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR stamp STREQUAL "")
  message(FATAL_ERROR "cannot read the release date '${CPACK_KALVORDEN_RELEASE_DATE}'")
endif()
file(WRITE "${doc}/changelog"
     "kalvorden (${CPACK_PACKAGE_VERSION}) stable; urgency=medium\n"
     "\n"
     "  * Release ${CPACK_PACKAGE_VERSION}; the changes are listed in CHANGELOG.md.\n"
     "\n"
     " -- ${CPACK_PACKAGE_CONTACT}  ${stamp}\n")
gzip_in_place("${doc}/changelog")
