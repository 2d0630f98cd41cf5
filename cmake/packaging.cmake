# Installing the intro and packaging it as a Debian package with CPack.
#
#   cmake --install build/default --prefix /usr/local    # the files below
#   cmake --build --preset default --target package      # build/default/trelk_<version>_<arch>.deb
#
# Installed: games/trelk (Debian policy puts games there, and Debian's PATH
# has /usr/games and /usr/local/games; lintian calls a package of section
# games without it an error), lib/games/trelk/trelk-video.so (the capture's video
# encoders, see platform/CMakeLists.txt), share/man/man6/trelk.6.gz, share/applications/trelk.desktop,
# share/icons/hicolor/<N>x<N>/apps/trelk.png, share/metainfo/<id>.metainfo.xml and
# share/doc/trelk/{copyright,changelog.gz}. The data files are in packaging/.
# scripts/check-package.sh builds the package and checks it (lintian, the
# desktop entry, the AppStream metadata, the manual page, the file list).
include(GNUInstallDirs)

set(TRELK_APPSTREAM_ID org.vorlix.trelk)
set(TRELK_HOMEPAGE "" CACHE STRING
    "The project's public web address, for the package and the AppStream metadata (empty: none yet)")
set(TRELK_SCREENSHOT_URL "" CACHE STRING
    "The web address where docs/screenshot.png is served (empty: the AppStream metadata names no screenshot)")

set(TRELK_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(TRELK_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${TRELK_PACKAGING_OUT})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TRELK_PACKAGING_DIR}/changelog)

# The top entry of packaging/changelog gives the release date and the
# package's maintainer; its version must be the project's (tests/packaging
# checks it, so that a new version comes with a changelog entry).
file(STRINGS ${TRELK_PACKAGING_DIR}/changelog changelog_lines)
list(GET changelog_lines 0 changelog_head)
string(REGEX MATCH "^trelk \\(([^)]+)\\)" ignored "${changelog_head}")
set(TRELK_CHANGELOG_VERSION "${CMAKE_MATCH_1}")
set(changelog_trailer "")
foreach(line IN LISTS changelog_lines)
  if(line MATCHES "^ -- (.+ <[^>]+>)  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    set(changelog_trailer "${line}")
    break()
  endif()
endforeach()
if(NOT changelog_trailer)
  message(FATAL_ERROR "packaging/changelog: no ' -- Name <address>  Day, DD Mon YYYY ...' line after the top entry")
endif()
set(TRELK_PACKAGE_MAINTAINER "${CMAKE_MATCH_1}")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months "${CMAKE_MATCH_3}" month)
math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
string(LENGTH "${month}" length)
if(length EQUAL 1)
  set(month "0${month}")
endif()
set(day "${CMAKE_MATCH_2}")
string(LENGTH "${day}" length)
if(length EQUAL 1)
  set(day "0${day}")
endif()
set(TRELK_RELEASE_DATE "${CMAKE_MATCH_4}-${month}-${day}")
if(NOT TRELK_CHANGELOG_VERSION STREQUAL PROJECT_VERSION)
  message(WARNING "packaging/changelog's top entry is for ${TRELK_CHANGELOG_VERSION}, the project is ${PROJECT_VERSION}: "
                  "add an entry for the new version")
endif()

# The AppStream metadata. Web addresses go in only when they are known: the
# project has no public address yet, and AppStream accepts none but a web one.
function(trelk_metainfo output homepage screenshot)
  set(TRELK_METAINFO_WEB "")
  if(homepage)
    string(APPEND TRELK_METAINFO_WEB "  <url type=\"homepage\">${homepage}</url>\n")
  endif()
  if(screenshot)
    string(APPEND TRELK_METAINFO_WEB
      "  <screenshots>\n"
      "    <screenshot type=\"default\">\n"
      "      <caption>The intro three seconds in: the ring of letters over the picture, the text panel</caption>\n"
      "      <image type=\"source\" width=\"640\" height=\"480\">${screenshot}</image>\n"
      "    </screenshot>\n"
      "  </screenshots>\n")
  endif()
  configure_file(${TRELK_PACKAGING_DIR}/${TRELK_APPSTREAM_ID}.metainfo.xml.in ${output} @ONLY)
endfunction()
trelk_metainfo(${TRELK_PACKAGING_OUT}/${TRELK_APPSTREAM_ID}.metainfo.xml "${TRELK_HOMEPAGE}" "${TRELK_SCREENSHOT_URL}")
# The same with documentation-only example addresses, only for
# scripts/check-package.sh to validate the homepage and screenshot elements.
trelk_metainfo(${TRELK_PACKAGING_OUT}/example-urls/${TRELK_APPSTREAM_ID}.metainfo.xml
               "https://example.org/trelk" "https://example.org/trelk/docs/screenshot.png")

# The manual page (with the version filled in) and the changelog, compressed
# as Debian wants them: gzip -9, without a name or time stamp inside.
find_program(GZIP_PROGRAM gzip REQUIRED)
configure_file(${TRELK_PACKAGING_DIR}/trelk.6.in ${TRELK_PACKAGING_OUT}/trelk.6 @ONLY)
set(compressed ${TRELK_PACKAGING_OUT}/compressed)
foreach(pair "${TRELK_PACKAGING_OUT}/trelk.6|trelk.6" "${TRELK_PACKAGING_DIR}/changelog|changelog")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 name)
  add_custom_command(OUTPUT ${compressed}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${compressed}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${compressed}/${name}
    COMMAND ${GZIP_PROGRAM} -9nf ${compressed}/${name}
    DEPENDS ${source}
    VERBATIM)
endforeach()
add_custom_target(packaging_files ALL DEPENDS ${compressed}/trelk.6.gz ${compressed}/changelog.gz)

# What is installed. Directories 0755 and files 0644 whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS trelk RUNTIME DESTINATION ${TRELK_PROGRAM_INSTALL_DIR})
# The .mkv and .mp4 encoders, loaded by the program when such a capture starts.
install(TARGETS trelk_video LIBRARY DESTINATION ${TRELK_VIDEO_MODULE_INSTALL_DIR}
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES ${compressed}/trelk.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${TRELK_PACKAGING_DIR}/trelk.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 64 128 256)
  install(FILES ${TRELK_PACKAGING_DIR}/icons/trelk-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME trelk.png)
endforeach()
install(FILES ${TRELK_PACKAGING_OUT}/${TRELK_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TRELK_PACKAGING_DIR}/copyright ${compressed}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trelk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Trelk developers")
set(CPACK_PACKAGE_CONTACT "${TRELK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
# The package carries the program without its debugging information.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "late-1990s demo with turning 3D letters, text pages and a song")
# The synopsis above, then this as the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Trelk shows the Vorlix intro, full screen, until Escape is pressed: a\n"
    "white screen with a picture of a city at dusk on its bottom edge, a serif V\n"
    "drawn eight times on a slowly turning ring while it spins, three pages of\n"
    "text revealed line by line, and a four-channel tracker song.\n"
    "\n"
    "Everything it shows and plays is carried inside the program. It needs a\n"
    "graphical session (X11 or Wayland).")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TRELK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
if(TRELK_HOMEPAGE)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TRELK_HOMEPAGE}")
endif()
include(CPack)
