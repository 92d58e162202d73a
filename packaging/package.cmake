# The Debian package (`make package`): the same files as `make install`, under /usr, plus the man
# page and the AppStream metainfo. The web addresses are where the project is published; set them
# when configuring for a release.
set(SKX_APP_ID "org.example.skarnex3d" CACHE STRING "AppStream component id")
set(SKX_HOMEPAGE "https://skarnex3d.example.org" CACHE STRING "Project home page")
set(SKX_SCREENSHOT_URL "${SKX_HOMEPAGE}/screenshot.png" CACHE STRING
    "Address of docs/screenshot.png as published")
set(SKX_LICENSE "LicenseRef-proprietary" CACHE STRING "SPDX licence of the game")

configure_file(${CMAKE_SOURCE_DIR}/packaging/skarnex3d.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/${SKX_APP_ID}.metainfo.xml @ONLY)
# Debian keeps man pages compressed, without a time stamp in the header.
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/skarnex3d.6.gz
  COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/packaging/skarnex3d.6 > ${CMAKE_BINARY_DIR}/skarnex3d.6.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/skarnex3d.6)
add_custom_target(skx_manpage ALL DEPENDS ${CMAKE_BINARY_DIR}/skarnex3d.6.gz)
install(FILES ${CMAKE_BINARY_DIR}/skarnex3d.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_BINARY_DIR}/${SKX_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME skarnex3d)
set(CPACK_PACKAGE_VENDOR "Skarnex3D")
set(CPACK_PACKAGE_CONTACT "Skarnex3D maintainers <maintainers@skarnex3d.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D arcade shooter: fly over the arena and blast the rocks")
set(CPACK_PACKAGE_DESCRIPTION
    "Skarnex3D is a fast single-player 3D arcade shooter. Shoot the big rocks and they split\n\
into smaller ones; saucers turn up, fire back and leave weapon pick-ups behind. It comes with\n\
its own generated soundtrack, sound effects with positional stereo, four chase cameras and a\n\
high-score table.")
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

# The desktop entry and the metainfo through the validators the distributions use.
find_program(SKX_DESKTOP_VALIDATE desktop-file-validate)
find_program(SKX_APPSTREAMCLI appstreamcli)
if(SKX_TESTS AND SKX_DESKTOP_VALIDATE)
  add_test(NAME validate.desktop
    COMMAND ${SKX_DESKTOP_VALIDATE} ${CMAKE_SOURCE_DIR}/data/skarnex3d.desktop)
endif()
if(SKX_TESTS AND SKX_APPSTREAMCLI)
  add_test(NAME validate.metainfo
    COMMAND ${SKX_APPSTREAMCLI} validate --no-net --pedantic
            ${CMAKE_BINARY_DIR}/${SKX_APP_ID}.metainfo.xml)
endif()
