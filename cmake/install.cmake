# Install layout and the Debian package.
#
#   cmake --install build/release --prefix /usr/local
#   cd build/release && cpack -G DEB        zonkards_1.0.2_amd64.deb
#
# bin/zonkards, bin/zonkards-host, the desktop entry, the hicolor icons, the
# AppStream metainfo and a man page for each program. An installed copy keeps
# its settings and tally in the per-user data directory (it finds the
# metainfo beside its bin/ folder, records/qt/DataPaths.cpp).
include(GNUInstallDirs)

set(_zk_linux "${PROJECT_SOURCE_DIR}/assets/linux")
set(_zk_icons "${PROJECT_SOURCE_DIR}/assets/icons")

install(TARGETS zonkards zonkards-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES "${_zk_linux}/${ZK_APP_ID}.desktop" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${_zk_linux}/${ZK_APP_ID}.metainfo.xml" DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES "${_zk_linux}/zonkards.6" "${_zk_linux}/zonkards-host.6" DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
foreach(size 16 32 48 64 128 256)
  install(FILES "${_zk_icons}/${ZK_APP_ID}-${size}.png"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${ZK_APP_ID}.png)
endforeach()
install(FILES "${_zk_icons}/${ZK_APP_ID}.svg" DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME zonkards)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Zonkards developers")
set(CPACK_PACKAGE_CONTACT "The Zonkards developers <players@zonkards.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "dice game for one to six players, solo or over the network")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://zonkards.example/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What dpkg-shlibdeps cannot see: the Qt platform plugins (X11, Wayland), and
# SDL2 and libcurl, which the game opens by name when it first plays a sound
# or downloads.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libsdl2-2.0-0, libcurl4")
# avahi-daemon: games on the local network are announced and found through it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, avahi-daemon")
include(CPack)
