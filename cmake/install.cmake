# What `cmake --install` puts where, and the Debian package CPack makes of
# it (`cpack -G DEB` in the build folder). Included by CMakeLists.txt.
#
#   bin/                         vigil, vigil-capture, vigil-assets
#   share/vigil/data/            the shipped demo's script (data/*.conf): the
#                                programs' --dir share/vigil reads it
#   share/doc/vigil/             README.md, LICENSE
#   share/man/man1/              a page for each program (man/*.1, gzipped)
#   share/applications/          vigil.desktop, which starts the player in
#                                share/vigil
#   share/icons/hicolor/32x32/   vigil.png, the window's icon
include(GNUInstallDirs)

install(TARGETS vigil vigil-capture vigil-assets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

file(GLOB VIGIL_SCRIPT_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*.conf)
install(FILES ${VIGIL_SCRIPT_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/vigil/data)
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The man pages are written by hand in man/, given the project's version
# (@PROJECT_VERSION@) and installed compressed, as Debian keeps them (gzip -n:
# no name or time stamp, so the same page gives the same bytes).
set(VIGIL_MAN_PAGES "")
foreach(program vigil vigil-capture vigil-assets)
  set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
  configure_file(${CMAKE_SOURCE_DIR}/man/${program}.1 ${page} @ONLY)
  add_custom_command(OUTPUT ${page}.gz COMMAND gzip -9 -n -k -f ${page} DEPENDS ${page} VERBATIM)
  list(APPEND VIGIL_MAN_PAGES ${page}.gz)
endforeach()
install(FILES ${VIGIL_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The icon is the one the player gives its window: the embedded icon.gif
# (32x32), decoded to PNG by vigil-assets as the demo decodes it.
set(VIGIL_ICON_SIZE 32)
set(VIGIL_ICON ${CMAKE_BINARY_DIR}/icons/vigil.png)
add_custom_command(OUTPUT ${VIGIL_ICON}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons
                   COMMAND vigil-assets decode ${CMAKE_SOURCE_DIR}/assets/data/icon.gif ${VIGIL_ICON}
                   DEPENDS vigil-assets ${CMAKE_SOURCE_DIR}/assets/data/icon.gif VERBATIM)
install(FILES ${VIGIL_ICON}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${VIGIL_ICON_SIZE}x${VIGIL_ICON_SIZE}/apps)
add_custom_target(vigil_install_files ALL DEPENDS ${VIGIL_MAN_PAGES} ${VIGIL_ICON})

# The desktop entry names the installed player and its demo folder, so it is
# written when installing (cmake/desktop_entry.cmake): the prefix is only known
# then (--prefix, or /usr for the package).
install(CODE "set(VIGIL_DESKTOP_TEMPLATE [[${CMAKE_SOURCE_DIR}/cmake/vigil.desktop.in]])
  set(VIGIL_DESKTOP_SCRATCH [[${CMAKE_BINARY_DIR}/desktop-entry]])
  set(VIGIL_INSTALL_BINDIR [[${CMAKE_INSTALL_BINDIR}]])
  set(VIGIL_INSTALL_DATADIR [[${CMAKE_INSTALL_DATADIR}]])")
install(SCRIPT cmake/desktop_entry.cmake)

# The Debian package: dpkg-shlibdeps finds the libraries the programs link;
# what they load at run time is named here.
set(VIGIL_PACKAGE_MAINTAINER "the vigil developers <vigil-developers@example.org>"
    CACHE STRING "The Debian package's Maintainer field")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vigil)
set(CPACK_PACKAGE_VENDOR "the vigil developers")
set(CPACK_PACKAGE_CONTACT "${VIGIL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time audiovisual demo player")
# The long description, in lines that fit dpkg's 80 columns.
set(CPACK_PACKAGE_DESCRIPTION "\
vigil plays a demo: an OpenGL window, or the full screen, where scenes are
drawn in step with an MP3 soundtrack until the last one ends. What plays is
read from three text files, which name the init routines and the scenes;
the routines, the pictures, the model and the soundtrack are built into the
program.

The package holds the player; vigil-capture, which renders the same demo
offline frame by frame (PNG pictures, an MP4 video through ffmpeg, a contact
sheet) and checks scripts; vigil-assets, which decodes and inspects the
demo's files; and the shipped demo's script in /usr/share/vigil.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# GL goes through GLVND: Mesa's GLX and DRI drivers draw for the player (and
# llvmpipe where there is no GPU); vigil-capture's offscreen window is an EGL
# one that SDL opens at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1-mesa-dri, libglx-mesa0, libegl1, libegl-mesa0")
# ffmpeg only for vigil-capture --video, which says so when it is missing;
# the DejaVu font for the labels of vigil-capture --contact-sheet.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ffmpeg, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
