# Installation on a Linux desktop and the Debian package built from it.
#
#   cmake --install build                  programs in bin/, menu entry, icons, AppStream data, MIME types
#   scripts/package.sh                     kalmoro_<version>-1_<arch>.deb (CPack, below)
#
# The desktop files carry the application id in their names; the window reports the same id to the
# desktop (QGuiApplication::setDesktopFileName), so the shell finds its menu entry and icon.
include(GNUInstallDirs)

set(KALMORO_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS kalmoro-gen RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The manual pages, the Debian changelog and the copyright file, compressed as Debian wants them
# (gzip -9n: no name or time stamp in the header, so the bytes depend on the text alone).
set(KALMORO_GZIP_DIR ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${KALMORO_GZIP_DIR})
function(kalmoro_gzip source output)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  execute_process(COMMAND gzip -9nc ${source} OUTPUT_FILE ${KALMORO_GZIP_DIR}/${output} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip could not compress ${source}")
  endif()
endfunction()
kalmoro_gzip(${KALMORO_PACKAGING_DIR}/man/kalmoro-gen.1 kalmoro-gen.1.gz)
kalmoro_gzip(${KALMORO_PACKAGING_DIR}/debian/changelog changelog.Debian.gz)
install(FILES ${KALMORO_GZIP_DIR}/kalmoro-gen.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
set(KALMORO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/kalmoro)
install(FILES ${KALMORO_PACKAGING_DIR}/debian/copyright ${KALMORO_GZIP_DIR}/changelog.Debian.gz
        DESTINATION ${KALMORO_DOC_DIR})
if(TARGET Kalmoro)
  target_compile_definitions(Kalmoro PRIVATE KALMORO_APP_ID="${KALMORO_APP_ID}")
  # Qt's project set-up gives the program an $ORIGIN run path; it needs only the system's libraries.
  set_target_properties(Kalmoro PROPERTIES INSTALL_RPATH "")
  install(TARGETS Kalmoro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  kalmoro_gzip(${KALMORO_PACKAGING_DIR}/man/Kalmoro.1 Kalmoro.1.gz)
  install(FILES ${KALMORO_GZIP_DIR}/Kalmoro.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${KALMORO_PACKAGING_DIR}/${KALMORO_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${KALMORO_PACKAGING_DIR}/${KALMORO_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(DIRECTORY ${KALMORO_PACKAGING_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
  # Why lintian's hardening-no-fortify-functions on the window is no fault (the file says).
  install(FILES ${KALMORO_PACKAGING_DIR}/debian/kalmoro.lintian-overrides
          DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME kalmoro)
endif()
# The MIME types describe the saved programs, whichever program wrote them.
install(FILES ${KALMORO_PACKAGING_DIR}/kalmoro-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME kalmoro.xml)

# A MIME package takes effect only once the database of its folder is rebuilt, and the menu entry becomes
# a file type's default application only once the applications' cache lists it. Debian's triggers do
# both for the package; a plain `cmake --install` does them here. Skipped when staging into DESTDIR
# (CPack stages that way too), where the database belongs to the final system.
install(CODE "
  if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
    find_program(KALMORO_UPDATE_MIME_DATABASE update-mime-database)
    if(KALMORO_UPDATE_MIME_DATABASE)
      message(STATUS \"Updating the MIME database in \${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/mime\")
      execute_process(COMMAND \${KALMORO_UPDATE_MIME_DATABASE} \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/mime\")
    endif()
    find_program(KALMORO_UPDATE_DESKTOP_DATABASE update-desktop-database)
    if(KALMORO_UPDATE_DESKTOP_DATABASE AND EXISTS \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
      message(STATUS \"Updating the desktop database in \${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
      execute_process(COMMAND \${KALMORO_UPDATE_DESKTOP_DATABASE} \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
    endif()
  endif()
")

# cpack packs what is built (scripts/package.sh builds first) instead of building every target, tests
# and benchmarks included, before it installs; the `package` target still builds first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# The Debian package. Its dependencies on the Qt 6 runtime libraries are read from the programs by
# dpkg-shlibdeps (dpkg-dev).
set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_PACKAGE_NAME kalmoro)
set(CPACK_PACKAGE_VENDOR Kalmoro)
set(CPACK_PACKAGE_CONTACT "Kalmoro <kalmoro@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "NC programs for round, rectangular and conical holes")
# The summary above is the synopsis line; this is the rest of the description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "\
Kalmoro writes NC part programs in ISO word-address form for three primitive
holes on a contour-cutting machine with an X/Y table and U/V taper axes
(RoboFill family): a round hole, a rectangular hole with rounded corners and a
conical hole with U/V taper words. The window is in Russian; the command-line
tool kalmoro-gen writes the same programs.")
# Staged through DESTDIR, so the MIME database step above leaves the staging tree alone.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://kalmoro.example.org)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's Russian texts (without them the dialogs are English) and the Liberation fonts, whose metrics the
# window's fixed layout is made for (with wider fallbacks the author line loses its last characters).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
