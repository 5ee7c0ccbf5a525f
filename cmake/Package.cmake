# What an installed Tamsivane needs besides the programs and data installed
# in the top-level file: manual pages made from the programs' own --help,
# shell completion, icons in the usual sizes, the documentation folder, and
# the Debian package that `make package` builds from all of it.

# Manual pages: help2man turns each program's --help into its page, so the
# page names exactly the options the program takes.
find_program(TAMSIVANE_HELP2MAN help2man)
find_program(TAMSIVANE_GZIP gzip REQUIRED)
set(manual_programs tamsivane-cli)
set(tamsivane-cli_summary "run terminal sessions of the VT420 family without windows")
if(TARGET tamsivane)
  list(APPEND manual_programs tamsivane)
  set(tamsivane_summary "terminal emulator of the VT420 family of video terminals")
endif()
set(manual_pages)
if(TAMSIVANE_HELP2MAN)
  foreach(program ${manual_programs})
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${page} ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${TAMSIVANE_HELP2MAN} --no-info --section 1 --name "${${program}_summary}"
        --output ${page} $<TARGET_FILE:${program}>
      COMMAND ${TAMSIVANE_GZIP} -9 -n -c ${page} > ${page}.gz
      DEPENDS ${program} VERBATIM)
    list(APPEND manual_pages ${page}.gz)
  endforeach()
  add_custom_target(tamsivane_manuals ALL DEPENDS ${manual_pages})
  install(FILES ${manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found: no manual pages")
endif()

# Bash completion of tamsivane-cli, where bash-completion loads it on demand.
install(FILES resources/completion/tamsivane-cli
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The icon in the sizes menus and docks ask for, drawn from the scalable one.
find_program(TAMSIVANE_RSVG_CONVERT rsvg-convert)
set(icon_source ${CMAKE_SOURCE_DIR}/resources/desktop/tamsivane.svg)
set(icon_files)
if(TAMSIVANE_RSVG_CONVERT)
  foreach(size 16 22 24 32 48 64 128 256)
    set(icon ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/tamsivane.png)
    add_custom_command(OUTPUT ${icon}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps
      COMMAND ${TAMSIVANE_RSVG_CONVERT} --width ${size} --height ${size} --output ${icon}
        ${icon_source}
      DEPENDS ${icon_source} VERBATIM)
    list(APPEND icon_files ${icon})
  endforeach()
  add_custom_target(tamsivane_icons ALL DEPENDS ${icon_files})
  install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
else()
  message(STATUS "rsvg-convert not found: the icon only as SVG")
endif()

# The documentation folder: what the package is, under which terms, and its
# history (Debian's tools want the last two).
set(doc_folder ${CMAKE_INSTALL_DATADIR}/doc/tamsivane)
set(changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND ${TAMSIVANE_GZIP} -9 -n -c ${CMAKE_SOURCE_DIR}/resources/package/changelog > ${changelog}
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/package/changelog VERBATIM)
add_custom_target(tamsivane_changelog ALL DEPENDS ${changelog})
install(FILES resources/package/copyright ${changelog} DESTINATION ${doc_folder})

# The Debian package: `cpack -G DEB` in a build configured with the prefix
# /usr (see `make package`).  dpkg-shlibdeps names the libraries it needs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tamsivane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Gallimox)
set(CPACK_PACKAGE_CONTACT "Gallimox <tamsivane@gallimox.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "terminal emulator of the VT420 family of video terminals")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${CMAKE_SOURCE_DIR}/resources/package/description.txt)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# File transfers run with sz and rz at hand; raw printing spools with lp.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "lrzsz, cups-client")
include(CPack)
