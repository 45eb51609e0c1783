# Installation and the Debian package: `make package` (or `cpack -G DEB` in build/) makes
# corkwallery_<version>_<arch>.deb.
include(GNUInstallDirs)
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/corkwallery)

# A native package's version is its changelog's newest entry: the two must agree.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^corkwallery \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog does not begin with version ${PROJECT_VERSION}")
endif()

# The man page and the changelog are installed gzipped, without a time stamp (gzip -n), so the
# same sources make the same package.
set(gzipped)
foreach(name corkwallery.1 changelog)
  set(output ${PROJECT_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND sh -c "gzip -9n -c \"$0\" > \"$1\"" ${PROJECT_SOURCE_DIR}/packaging/${name} ${output}
    DEPENDS packaging/${name} VERBATIM)
  list(APPEND gzipped ${output})
endforeach()
add_custom_target(corkwallery_gzipped_docs ALL DEPENDS ${gzipped})

set(id ${CORKWALLERY_APP_ID})
install(TARGETS corkwallery RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/${id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/${id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/${id}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_BINARY_DIR}/packaging/corkwallery.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/copyright ${PROJECT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corkwallery)
set(CPACK_PACKAGE_CONTACT "The Corkwallery developers <corkwallery@users.noreply.github.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://github.com/corkwallery/corkwallery)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pins photos onto the desktop")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
Corkwallery pins photos onto an X11 or Wayland desktop. Each photo stands
in its own borderless, transparent window below all other windows, tilted
a few degrees, with a coloured pushpin in the middle of its top edge.
Photos are moved by dragging, resized with Shift or Alt, and locked or
removed from their own menu; every pin comes back where it was at the next
start.
.
Its menu lives on a pin icon in the system tray (or a small card where no
tray runs). File managers offer it for pictures through Open With, and the
menu can start it at login.]=])
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# The libraries come from the binary itself; the X11 platform plugin, loaded at run time, cannot.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins, qt6-translations-l10n")
# Built with LayerShellQt: Qt's Wayland platform plugin, for the native layer surfaces.
get_property(layer_shell GLOBAL PROPERTY CORKWALLERY_LAYER_SHELL)
if(layer_shell)
  string(APPEND CPACK_DEBIAN_PACKAGE_RECOMMENDS ", qt6-wayland")
endif()
include(CPack)
