# Installation layout and the Debian package (scripts/package builds it with the program alone,
# VISTREL_TESTS=OFF; in any build tree `cmake --build BUILD --target package`):
#   /usr/lib/vistrel/vistrel          the program
#   /usr/lib/vistrel/res/dis.jpg      its no-signal picture, found beside the executable
#   /usr/bin/vistrel                  a relative link to the program (the program resolves its
#                                     own path through the link, so it still finds res/)
#   /usr/share/applications, icons/hicolor, metainfo: the desktop entry, icon and AppStream data
#   /usr/share/man/man1/vistrel.1.gz, /usr/share/doc/vistrel/{changelog.gz,copyright}: the
#                                     manual page and what Debian's policy asks of every package
if(NOT TARGET vistrel)
  return()
endif()

set(VISTREL_PROGRAM_DIR lib/vistrel)
install(TARGETS vistrel RUNTIME DESTINATION ${VISTREL_PROGRAM_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/res/dis.jpg DESTINATION ${VISTREL_PROGRAM_DIR}/res)

# The link is made in the build tree and installed as it is (install keeps links as links).
set(VISTREL_LINK ${PROJECT_BINARY_DIR}/packaging/vistrel)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/packaging)
file(CREATE_LINK ../${VISTREL_PROGRAM_DIR}/vistrel ${VISTREL_LINK} SYMBOLIC)
install(FILES ${VISTREL_LINK} DESTINATION bin)

set(VISTREL_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${VISTREL_PACKAGING}/vistrel.desktop DESTINATION share/applications)
install(FILES ${VISTREL_PACKAGING}/org.vistrel.vistrel.metainfo.xml DESTINATION share/metainfo)
foreach(size 64x64 128x128)
  install(FILES ${VISTREL_PACKAGING}/icons/${size}/vistrel.png
          DESTINATION share/icons/hicolor/${size}/apps)
endforeach()

# Compressed as Debian wants them (gzip -9, no name or time stamp inside), at configure time.
function(vistrel_gzip source destination)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  execute_process(COMMAND gzip -9nc ${source} OUTPUT_FILE ${destination} COMMAND_ERROR_IS_FATAL ANY)
endfunction()
vistrel_gzip(${VISTREL_PACKAGING}/vistrel.1 ${PROJECT_BINARY_DIR}/packaging/vistrel.1.gz)
vistrel_gzip(${VISTREL_PACKAGING}/changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/packaging/vistrel.1.gz DESTINATION share/man/man1)
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz ${VISTREL_PACKAGING}/copyright
        DESTINATION share/doc/vistrel)

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE VISTREL_DEB_ARCH
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT VISTREL_DEB_ARCH)
  set(VISTREL_DEB_ARCH amd64)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vistrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for USB HDMI capture devices")
# Lines of the long description, each shown as it is.
set(CPACK_PACKAGE_DESCRIPTION
    "Shows the live picture of a USB HDMI capture dongle in a window, fitted with\n\
its aspect ratio kept, and a no-signal screen without one. It follows unplug,\n\
replug and resume from sleep by itself.")
# Maintainer: a name and an address, as Debian requires.
set(CPACK_PACKAGE_CONTACT "The Vistrel developers <developers@vistrel.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME ${CPACK_PACKAGE_NAME}_${PROJECT_VERSION}_${VISTREL_DEB_ARCH}.deb)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${VISTREL_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The run-time libraries (OpenCV, SDL2, libudev, libsystemd, ...) become Depends through
# dpkg-shlibdeps, from what the program is linked against.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
