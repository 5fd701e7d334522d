# Release packages, made by CPack:
#   cmake --preset windows && cmake --build --preset windows --target package
#     -> build/windows/Zelvorn-<version>-win64.zip: Zelvorn.exe,
#        zelvorn-cli.exe and README.txt
#   cmake --preset release && cmake --build --preset release --target package
#     -> build/release/zelvorn-cli_<version>_<arch>.deb: /usr/bin/zelvorn-cli
#        and its manual page
# The programs' install() rules sit beside their targets; this file adds
# the documents and the package settings. `cmake --install` installs the
# same files as the package.
include(GNUInstallDirs)

set(CPACK_PACKAGE_VENDOR "Zelvorn Studio")
set(CPACK_PACKAGE_CONTACT "Zelvorn Studio <zelvorn@zelvorn.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "convert download addresses to and from Thunder, FlashGet and QQ Whirlwind links")
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build/" "/build-" "/\\\\.git$" "/\\\\.git/")

if(WIN32)
  # A zip for Windows users: both programs and a README that Notepad shows
  # right on every Windows (UTF-8 with a byte-order mark, CR LF line ends).
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME Zelvorn)
  set(CPACK_PACKAGE_FILE_NAME Zelvorn-${PROJECT_VERSION}-win64)
  set(readme_template ${PROJECT_SOURCE_DIR}/packaging/README-windows.txt.in)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${readme_template})
  file(READ ${readme_template} readme)
  string(ASCII 239 187 191 byte_order_mark)
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/packaging/README.txt
       CONTENT "${byte_order_mark}${readme}" @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/README.txt DESTINATION .)
else()
  # A Debian package of the command-line converter.
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME zelvorn-cli)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # Depends: from the libraries the binary links (dpkg-shlibdeps)
  string(CONCAT CPACK_PACKAGE_DESCRIPTION
      "zelvorn-cli turns a plain download address into a thunder://, Flashget://\n"
      "or qqdl:// link and back, byte for byte as the Zelvorn window on Windows\n"
      "does, for scripts and terminals. With --gbk it converts UTF-8 text to and\n"
      "from the GBK bytes that Chinese Windows puts into such links.")

  # The manual page comes from the program's own --help and --version, so it
  # follows them; the extra sections are in packaging/zelvorn-cli.h2m.
  find_program(ZELVORN_HELP2MAN help2man)
  if(ZELVORN_HELP2MAN)
    set(page ${CMAKE_BINARY_DIR}/packaging/zelvorn-cli.1)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
    set(extra ${PROJECT_SOURCE_DIR}/packaging/zelvorn-cli.h2m)
    add_custom_command(
      OUTPUT ${page}.gz
      COMMAND ${ZELVORN_HELP2MAN} --no-info --include=${extra}
              "--name=${CPACK_PACKAGE_DESCRIPTION_SUMMARY}" --output=${page} $<TARGET_FILE:zelvorn-cli>
      COMMAND gzip -9nf ${page}
      DEPENDS zelvorn-cli ${extra}
      COMMENT "Writing the manual page zelvorn-cli.1.gz"
      VERBATIM)
    add_custom_target(zelvorn-cli-manual ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    message(WARNING "help2man not found: zelvorn-cli gets no manual page (scripts/setup.sh installs help2man)")
  endif()
endif()

include(CPack)
