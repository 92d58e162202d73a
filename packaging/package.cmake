# The Debian package (`make package`): the files of `make install`, under /usr, plus the manual
# page, the AppStream metainfo, the copyright file, the changelog and the lintian overrides. The
# id, licence, web addresses and maintainer are cache variables: a distributor sets them when
# configuring (-DSKX_APP_ID=... -DSKX_LICENSE=... -DSKX_HOMEPAGE=...).
set(SKX_APP_ID "org.example.skarnex3d" CACHE STRING "AppStream component id")
set(SKX_HOMEPAGE "https://skarnex3d.example.org" CACHE STRING "Project home page")
set(SKX_SCREENSHOT_URL "${SKX_HOMEPAGE}/screenshot.png" CACHE STRING
    "Address of docs/screenshot.png as published")
set(SKX_LICENSE "LicenseRef-proprietary" CACHE STRING "SPDX licence of the game")
set(SKX_LICENSE_FILE "${CMAKE_SOURCE_DIR}/packaging/license-proprietary.txt" CACHE FILEPATH
    "Licence text for the copyright file, when SKX_LICENSE is not in /usr/share/common-licenses")
set(SKX_COPYRIGHT "2026 Skarnex3D maintainers" CACHE STRING "Copyright years and holders")
set(SKX_MAINTAINER "Skarnex3D maintainers <maintainers@skarnex3d.example.org>" CACHE STRING
    "Package maintainer and changelog signer, as Name <address>")
set(SKX_DOC_REL ${CMAKE_INSTALL_DATAROOTDIR}/doc/skarnex3d)
set(SKX_PKG_DIR ${CMAKE_BINARY_DIR}/packaging)

# The changelog and the AppStream releases, from packaging/releases.txt.
include(${CMAKE_SOURCE_DIR}/packaging/releases.cmake)

# Text as a DEP-5 field continuation: every line indented by one space, blank lines as " .".
function(skx_dep5_text text out)
  string(STRIP "${text}" text)
  string(REGEX REPLACE "\n[ \t]*\n" "\n.\n" text "${text}")
  string(REGEX REPLACE "\n[ \t]*\n" "\n.\n" text "${text}")
  string(REPLACE "\n" "\n " text "${text}")
  set(${out} " ${text}" PARENT_SCOPE)
endfunction()

# The licence paragraph: Debian ships the common licences once, in /usr/share/common-licenses
# (GPL-3.0-or-later is GPL-3 there); any other licence's text comes from SKX_LICENSE_FILE.
string(REGEX REPLACE "^(L?GPL-[0-9.]+)-(only|or-later)$" "\\1" skx_common "${SKX_LICENSE}")
string(REGEX REPLACE "^(L?GPL-[0-9]+(\\.[1-9])?)\\.0$" "\\1" skx_common "${skx_common}")
if(EXISTS /usr/share/common-licenses/${skx_common})
  set(SKX_LICENSE_TEXT " On Debian systems the full text of the licence is in\n"
                       " /usr/share/common-licenses/${skx_common}.")
  string(JOIN "" SKX_LICENSE_TEXT ${SKX_LICENSE_TEXT})
else()
  if(NOT EXISTS "${SKX_LICENSE_FILE}")
    message(FATAL_ERROR "SKX_LICENSE_FILE (${SKX_LICENSE_FILE}) does not exist: the copyright "
                        "file needs the text of ${SKX_LICENSE}")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SKX_LICENSE_FILE})
  file(READ "${SKX_LICENSE_FILE}" skx_text)
  skx_dep5_text("${skx_text}" SKX_LICENSE_TEXT)
endif()
file(READ ${CMAKE_SOURCE_DIR}/packaging/license-bitstream-vera.txt skx_text)
skx_dep5_text("${skx_text}" SKX_VERA_LICENSE_TEXT)

configure_file(${CMAKE_SOURCE_DIR}/packaging/copyright.in ${SKX_PKG_DIR}/copyright @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/skarnex3d.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/${SKX_APP_ID}.metainfo.xml @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/skarnex3d.6.in ${SKX_PKG_DIR}/skarnex3d.6 @ONLY)
file(CONFIGURE OUTPUT ${SKX_PKG_DIR}/changelog CONTENT "${SKX_CHANGELOG}")
# The desktop entry as installed under this build's prefix, for its validator.
set(SKX_LAUNCHER ${CMAKE_INSTALL_PREFIX}/${SKX_INSTALL_GAMESDIR}/skarnex3d)
configure_file(${CMAKE_SOURCE_DIR}/data/skarnex3d.desktop.in ${SKX_PKG_DIR}/skarnex3d.desktop @ONLY)

# Debian keeps manual pages and changelogs compressed, without a name or time stamp in the header.
foreach(doc skarnex3d.6 changelog)
  add_custom_command(OUTPUT ${SKX_PKG_DIR}/${doc}.gz
    COMMAND gzip -9nc ${SKX_PKG_DIR}/${doc} > ${SKX_PKG_DIR}/${doc}.gz
    DEPENDS ${SKX_PKG_DIR}/${doc})
endforeach()
add_custom_target(skx_package_docs ALL DEPENDS ${SKX_PKG_DIR}/skarnex3d.6.gz ${SKX_PKG_DIR}/changelog.gz)
install(FILES ${SKX_PKG_DIR}/skarnex3d.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${SKX_PKG_DIR}/copyright ${SKX_PKG_DIR}/changelog.gz DESTINATION ${SKX_DOC_REL})
install(FILES ${CMAKE_BINARY_DIR}/${SKX_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/skarnex3d.lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME skarnex3d)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME skarnex3d)
set(CPACK_PACKAGE_VENDOR "Skarnex3D")
set(CPACK_PACKAGE_CONTACT "${SKX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D arcade shooter: fly over the arena and blast the rocks")
# Lines of at most 80 characters, as Debian's package tools show them.
set(CPACK_PACKAGE_DESCRIPTION
    "Skarnex3D is a fast single-player 3D arcade shooter. Shoot the big rocks\n\
and they split into smaller ones; saucers turn up, fire back and leave\n\
weapon pick-ups behind. It comes with its own generated soundtrack, sound\n\
effects with positional stereo, four chase cameras and a high-score table.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${SKX_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The GL library is loaded at run time, so the linker's view does not show it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

# The desktop entry, the metainfo and the package through the checkers the distributions use.
find_program(SKX_DESKTOP_VALIDATE desktop-file-validate)
find_program(SKX_APPSTREAMCLI appstreamcli)
find_program(SKX_LINTIAN lintian)
if(SKX_TESTS AND SKX_DESKTOP_VALIDATE)
  add_test(NAME validate.desktop COMMAND ${SKX_DESKTOP_VALIDATE} ${SKX_PKG_DIR}/skarnex3d.desktop)
endif()
if(SKX_TESTS AND SKX_APPSTREAMCLI)
  add_test(NAME validate.metainfo
    COMMAND ${SKX_APPSTREAMCLI} validate --no-net --pedantic
            ${CMAKE_BINARY_DIR}/${SKX_APP_ID}.metainfo.xml)
endif()
# Builds the package into a scratch directory and runs lintian on it (about ten seconds). Only in
# a build meant for shipping: a sanitizer build packs instrumented code.
if(SKX_TESTS AND SKX_LINTIAN AND NOT (SKX_SANITIZE OR SKX_TSAN OR SKX_FUZZ))
  add_test(NAME validate.lintian
    COMMAND sh ${CMAKE_SOURCE_DIR}/packaging/lintian-check ${CMAKE_BINARY_DIR} ${SKX_LINTIAN})
  set_tests_properties(validate.lintian PROPERTIES TIMEOUT 300 LABELS package)
endif()
