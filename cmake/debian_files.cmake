# Run by CPack in the staged tree before it is packed: the manual page is
# compressed and the changelog added, both with gzip -9n as Debian wants them.
set(staged ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(doc ${staged}/share/doc/${CPACK_PACKAGE_NAME})
file(WRITE ${doc}/changelog
  "${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium\n\n"
  "  * Release ${CPACK_PACKAGE_VERSION}.\n\n"
  " -- ${CPACK_PACKAGE_CONTACT}  ${CPACK_DEBIAN_CHANGELOG_DATE}\n")
foreach(file ${staged}/share/man/man1/${CPACK_PACKAGE_NAME}.1 ${doc}/changelog)
  execute_process(COMMAND gzip -9nf ${file} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
