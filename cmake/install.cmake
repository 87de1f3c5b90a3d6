# Install layout and the Debian packages.
#
#   cmake --install build/release --prefix /usr/local
#   cd build/release && cpack -G DEB        zonkards_1.0.2_amd64.deb
#                                           zonkards-coordinator_1.0.2_amd64.deb
#
# Two components, a package each:
#   zonkards              bin/zonkards, bin/zonkards-host, the desktop entry,
#                         the hicolor icons, the AppStream metainfo and their
#                         man pages. An installed copy keeps its settings and
#                         tally in the per-user data directory (it finds the
#                         metainfo beside its bin/ folder, records/qt/DataPaths.cpp).
#   zonkards-coordinator  bin/zonkards-coordinator, its man page, its systemd
#                         unit (lib/systemd/system) and its options file
#                         (etc/zonkards-coordinator/coordinator.conf: /etc for
#                         the prefix /usr, else beside the prefix's usr/ or in
#                         it), a conffile of the package.
include(GNUInstallDirs)

set(_zk_linux "${PROJECT_SOURCE_DIR}/assets/linux")
set(_zk_icons "${PROJECT_SOURCE_DIR}/assets/icons")

install(TARGETS zonkards zonkards-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT zonkards)
install(FILES "${_zk_linux}/${ZK_APP_ID}.desktop" DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT zonkards)
install(FILES "${_zk_linux}/${ZK_APP_ID}.metainfo.xml" DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        COMPONENT zonkards)
install(FILES "${_zk_linux}/zonkards.6" "${_zk_linux}/zonkards-host.6" DESTINATION ${CMAKE_INSTALL_MANDIR}/man6
        COMPONENT zonkards)
foreach(size 16 32 48 64 128 256)
  install(FILES "${_zk_icons}/${ZK_APP_ID}-${size}.png"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${ZK_APP_ID}.png COMPONENT zonkards)
endforeach()
install(FILES "${_zk_icons}/${ZK_APP_ID}.svg" DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        COMPONENT zonkards)

install(TARGETS zonkards-coordinator RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT zonkards-coordinator)
install(FILES "${_zk_linux}/zonkards-coordinator.6" DESTINATION ${CMAKE_INSTALL_MANDIR}/man6
        COMPONENT zonkards-coordinator)
# The unit and the options file go where the prefix puts them, known only at
# install time; the unit as written names the package's paths (/usr/bin,
# /etc), which are changed to the prefix's.
install(CODE "
  set(_zk_etc \"\${CMAKE_INSTALL_PREFIX}/etc\")
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    set(_zk_etc /etc)
  elseif(CMAKE_INSTALL_PREFIX MATCHES \"^(.+)/usr/?\$\")
    set(_zk_etc \"\${CMAKE_MATCH_1}/etc\")
  endif()
  file(READ \"${_zk_linux}/zonkards-coordinator.service\" _zk_unit)
  string(REPLACE \"/usr/bin/\" \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\" _zk_unit \"\${_zk_unit}\")
  string(REPLACE \"/etc/zonkards-coordinator\" \"\${_zk_etc}/zonkards-coordinator\" _zk_unit \"\${_zk_unit}\")
  file(WRITE \"${PROJECT_BINARY_DIR}/install/zonkards-coordinator.service\" \"\${_zk_unit}\")
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/lib/systemd/system\" TYPE FILE
       FILES \"${PROJECT_BINARY_DIR}/install/zonkards-coordinator.service\")
  file(INSTALL DESTINATION \"\${_zk_etc}/zonkards-coordinator\" TYPE FILE
       FILES \"${_zk_linux}/coordinator.conf\")
" COMPONENT zonkards-coordinator)

set(CPACK_PACKAGE_NAME zonkards)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Zonkards developers")
set(CPACK_PACKAGE_CONTACT "The Zonkards developers <players@zonkards.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://zonkards.example/")
# The package's install runs with the prefix /usr into a staging DESTDIR, so
# that the unit names /usr/bin and the options file lands in /etc.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL zonkards zonkards-coordinator)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Each package's summary is the first line of its description (a global
# CPACK_PACKAGE_DESCRIPTION_SUMMARY would head both).
set(CPACK_DEBIAN_ZONKARDS_PACKAGE_NAME zonkards)
set(CPACK_DEBIAN_ZONKARDS_DESCRIPTION "dice game for one to six players, solo or over the network
Zonkards is a dice game of seven rounds for one to six players at one table,
with up to three more watching; the computer plays every empty or idle seat.
Play solo, on the local network (hosted games are found through Avahi), or
over the internet by the host's address or by an invite code through a game
coordinator.
.
This package holds the table, zonkards, and the game host without a window,
zonkards-host.")
# What dpkg-shlibdeps cannot see: the Qt platform plugins (X11, Wayland), and
# SDL2 and libcurl, which the game opens by name when it first plays a sound
# or downloads.
set(CPACK_DEBIAN_ZONKARDS_PACKAGE_DEPENDS "qt6-qpa-plugins, libsdl2-2.0-0, libcurl4")
# avahi-daemon: games on the local network are announced and found through
# it; ca-certificates: a coordinator's certificate is checked against the
# system's store.
set(CPACK_DEBIAN_ZONKARDS_PACKAGE_RECOMMENDS "fonts-dejavu-core, avahi-daemon, ca-certificates")

set(CPACK_DEBIAN_ZONKARDS-COORDINATOR_PACKAGE_NAME zonkards-coordinator)
set(CPACK_DEBIAN_ZONKARDS-COORDINATOR_DESCRIPTION "game coordinator and relay for Zonkards invite codes
zonkards-coordinator lets Zonkards games behind home routers meet: a host
registers its game and gets a short invite code, friends join by the code or
pick the game from the list of public games, and when the host cannot be
reached from outside, its coordinator relays the game's connections. It
speaks TLS only and keeps everything in memory; the game's own bytes pass
through the relay.
.
This package runs it as a sandboxed systemd service, once a certificate and
its key are in /etc/zonkards-coordinator.")
# Its conffile, and the scripts that make systemd see the unit (it is
# started by hand, once the certificate is in place) and stop it when the
# package goes.
set(_zk_deb "${_zk_linux}/coordinator-deb")
set(CPACK_DEBIAN_ZONKARDS-COORDINATOR_PACKAGE_CONTROL_EXTRA
    "${_zk_deb}/conffiles;${_zk_deb}/postinst;${_zk_deb}/prerm")
set(CPACK_DEBIAN_ZONKARDS-COORDINATOR_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
