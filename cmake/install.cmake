# What `cmake --install` puts in place: the program, its manual page, its
# completion for bash and zsh, and the copyright and licence text; and the Debian package that `cpack -G DEB` makes
# of the same files.

include(GNUInstallDirs)

configure_file(${CMAKE_SOURCE_DIR}/doc/msgmake.1 ${CMAKE_BINARY_DIR}/msgmake.1 @ONLY)

# The copyright file a Debian package carries: a header, then the licence.
file(READ ${CMAKE_SOURCE_DIR}/LICENSE license_text)
string(REGEX REPLACE "\n\n" "\n.\n" license_body "${license_text}")
string(REGEX REPLACE "\n([^\n])" "\n \\1" license_body "${license_body}")
file(WRITE ${CMAKE_BINARY_DIR}/copyright
  "msgmake\n\nCopyright (c) 2026 The msgmake developers\n\nLicense: MIT\n ${license_body}")

install(TARGETS msgmake RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/msgmake.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Where the shells look for completions of a command by its name.
install(FILES ${CMAKE_SOURCE_DIR}/completion/msgmake.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME msgmake)
install(FILES ${CMAKE_SOURCE_DIR}/completion/_msgmake DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
# The program is linked whole on purpose (see CMakeLists.txt): the package
# says so to lintian.
install(FILES ${CMAKE_SOURCE_DIR}/cmake/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME msgmake)

set(CPACK_PACKAGE_NAME msgmake)
set(CPACK_PACKAGE_VENDOR "The msgmake developers")
set(CPACK_PACKAGE_CONTACT "msgmake developers <msgmake@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "write an e-mail draft with an HTML body, pictures and attachments")
set(CPACK_PACKAGE_DESCRIPTION
  "msgmake writes one MIME e-mail message file that a desktop mail client opens\n\
as an unsent draft: headers, an HTML body, attached files, embedded pictures\n\
and a background sound, in one step from one command line.\n\
.\n\
People and scripts give it options (recipients, subject, a plain-text or\n\
HTML body read from a file or a pipe, files to attach and pictures to\n\
embed); text is UTF-8 and arrives whole. Calling programs may instead pass\n\
a single call text.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The system's table of media types, which labels the attached files.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS media-types)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Compresses the manual page and adds the changelog in the staged tree, as a
# Debian package carries them.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/debian_files.cmake)
set(CPACK_DEBIAN_CHANGELOG_DATE "Mon, 07 Dec 2026 12:00:00 +0000")
include(CPack)
