# What `cmake --install` puts where, in the usual places (GNUInstallDirs):
#   bin/                          tarvello, tarvello-printer, tarvello-cli (each if its target exists)
#   share/tarvello/translations/  the translations' .qm files (every platform)
# and on Linux and the other freedesktop systems:
#   share/applications/           the desktop entry, share/metainfo/ its AppStream metainfo
#   share/icons/hicolor/          the icon at 16 to 256 pixels and as SVG
#   share/man/man1/               a manual page per program, made from its --help by help2man
#   share/doc/tarvello/           copyright and changelog (what a Debian package carries)
# On Windows the Qt libraries and plugins the tool needs go next to it through windeployqt,
# and the executable gets its icon. Targets are referred to by name only, so this file works
# whichever folder defines them; include it after all of them are defined.
include(GNUInstallDirs)

# The tool's id in the desktop menus and software centres: the desktop entry's and the
# metainfo's file names.
set(TARVELLO_APP_ID org.tarvello.Tarvello)
# The release date of PROJECT_VERSION, for the metainfo's release, the changelog and the
# manual pages' date.
set(TARVELLO_RELEASE_DATE 2026-12-09)
set(TARVELLO_MAINTAINER "The Tarvello developers <tarvello@example.org>"
    CACHE STRING "Maintainer of the packages: name <address>")
set(tarvello_dist ${PROJECT_SOURCE_DIR}/dist)

# One-line descriptions of the programs for their manual pages.
set(tarvello_summary_tarvello "set up the media sensors of a label printer over RS-232")
set(tarvello_summary_tarvello-printer "a virtual label printer on a pseudo-terminal")
set(tarvello_summary_tarvello-cli
    "adjust and read the media sensors of a label printer from scripts")

set(tarvello_programs "")
foreach(program tarvello tarvello-printer tarvello-cli)
  if(TARGET ${program})
    list(APPEND tarvello_programs ${program})
  endif()
endforeach()
# What the install rules take from the build: `cmake --build --target tarvello_installables`
# builds just that (scripts/package.sh does, before it packages).
add_custom_target(tarvello_installables)
if(tarvello_programs)
  install(TARGETS ${tarvello_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  add_dependencies(tarvello_installables ${tarvello_programs})
endif()

# The translations: the translation build hands its .qm files over with
#   set_property(GLOBAL APPEND PROPERTY TARVELLO_QM_FILES <the .qm files>)
# and the tool finds them in ../share/tarvello/translations from its executable. None yet: no rule.
get_property(tarvello_qm_files GLOBAL PROPERTY TARVELLO_QM_FILES)
if(tarvello_qm_files)
  install(FILES ${tarvello_qm_files} DESTINATION ${CMAKE_INSTALL_DATADIR}/tarvello/translations)
endif()

if(UNIX AND NOT APPLE)
  # The release date as the changelog writes it and as seconds for help2man (GNU date).
  execute_process(COMMAND date -u -R -d "${TARVELLO_RELEASE_DATE} 12:00"
                  OUTPUT_VARIABLE tarvello_release_rfc2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE rfc2822_failed ERROR_QUIET)
  execute_process(COMMAND date -u +%s -d "${TARVELLO_RELEASE_DATE} 12:00"
                  OUTPUT_VARIABLE tarvello_release_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE epoch_failed ERROR_QUIET)
  if(rfc2822_failed OR epoch_failed)
    message(FATAL_ERROR "GNU date is needed for the release date ${TARVELLO_RELEASE_DATE}")
  endif()
  find_program(TARVELLO_GZIP gzip REQUIRED)

  if(TARGET tarvello)
    install(FILES ${tarvello_dist}/${TARVELLO_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    configure_file(${tarvello_dist}/${TARVELLO_APP_ID}.metainfo.xml.in
                   ${PROJECT_BINARY_DIR}/dist/${TARVELLO_APP_ID}.metainfo.xml @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/dist/${TARVELLO_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(DIRECTORY ${tarvello_dist}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
  endif()

  # The manual pages, made at build time from each program's --help (the tool's without a
  # display), read as UTF-8 so that the Chinese names in it reach the page (help2man turns what
  # it cannot decode into "?"). Not in sanitized, fuzzing or cross builds, which are not installed.
  find_program(TARVELLO_HELP2MAN help2man)
  if(TARVELLO_HELP2MAN AND NOT CMAKE_CROSSCOMPILING AND NOT TARVELLO_SANITIZE
     AND NOT TARVELLO_FUZZ)
    set(pages "")
    foreach(program ${tarvello_programs})
      set(page ${PROJECT_BINARY_DIR}/man/${program}.1)
      add_custom_command(
        OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                SOURCE_DATE_EPOCH=${tarvello_release_epoch}
                ${TARVELLO_HELP2MAN} --no-info --no-discard-stderr --locale=C.UTF-8
                --version-string=${PROJECT_VERSION} "--name=${tarvello_summary_${program}}"
                --output=${page} $<TARGET_FILE:${program}>
        COMMAND ${TARVELLO_GZIP} -9nf ${page}
        DEPENDS ${program}
        COMMENT "Manual page of ${program}"
        VERBATIM)
      list(APPEND pages ${page}.gz)
    endforeach()
    if(pages)
      add_custom_target(tarvello_man ALL DEPENDS ${pages})
      add_dependencies(tarvello_installables tarvello_man)
      install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
  endif()

  # Named after the package, not the project (GNUInstallDirs' DOCDIR would be doc/Tarvello);
  # the changelog compressed as Debian wants it (gzip -9n: no name, no time stamp).
  configure_file(${tarvello_dist}/changelog.in ${PROJECT_BINARY_DIR}/dist/changelog @ONLY)
  execute_process(COMMAND ${TARVELLO_GZIP} -9nc ${PROJECT_BINARY_DIR}/dist/changelog
                  OUTPUT_FILE ${PROJECT_BINARY_DIR}/dist/changelog.gz RESULT_VARIABLE gzip_failed)
  if(gzip_failed)
    message(FATAL_ERROR "gzip failed on the changelog")
  endif()
  install(FILES ${tarvello_dist}/copyright ${PROJECT_BINARY_DIR}/dist/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarvello)
endif()

if(WIN32 AND TARGET tarvello)
  # The icon of the executable in Explorer and on the Start menu's shortcut.
  file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/dist/tarvello.rc
       CONTENT "128 ICON \"${tarvello_dist}/windows/tarvello.ico\"\n")
  target_sources(tarvello PRIVATE ${PROJECT_BINARY_DIR}/dist/tarvello.rc)
  # windeployqt copies the Qt libraries, the platform, style, multimedia and serial plugins and
  # a qt.conf next to the installed executable. Qt's deploy script finds windeployqt where the
  # Qt6 package is (its Qt6::windeployqt target, or its bin folder).
  find_package(Qt6 6.4 REQUIRED COMPONENTS Core)
  if(Qt6_VERSION VERSION_LESS 6.5)
    qt_generate_deploy_app_script(TARGET tarvello FILENAME_VARIABLE tarvello_deploy
                                  NO_UNSUPPORTED_PLATFORM_ERROR)
  else()
    qt_generate_deploy_app_script(TARGET tarvello OUTPUT_SCRIPT tarvello_deploy
                                  NO_UNSUPPORTED_PLATFORM_ERROR)
  endif()
  install(SCRIPT ${tarvello_deploy})
  # The compiler's runtime DLLs: windeployqt copies MinGW's, MSVC's come from CMake's module.
  if(MSVC)
    set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION ${CMAKE_INSTALL_BINDIR})
    include(InstallRequiredSystemLibraries)
  endif()
endif()
