# Installation layout and the Debian package.
#
#   bin/                                   VANTFerrant, vant-handset
#   share/man/man1/VANTFerrant.1.gz        the manual page
#   share/applications/vantferrant.desktop the desktop menu entry
#   share/icons/hicolor/*/apps/            the icon: SVG, plus PNGs rendered from it at build time
#   share/doc/vantferrant/                 README.md, LICENSE, the user guide and its pictures
include(GNUInstallDirs)

set(VANT_PACKAGE_NAME vantferrant)
set(VANT_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${VANT_PACKAGE_NAME})
set(VANT_INSTALL_ICONDIR ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor)
set(VANT_ICON_SIZES 16 22 24 32 48 64 128 256)
set(vant_packaging_dir ${CMAKE_BINARY_DIR}/packaging)
set(vant_icon_svg ${PROJECT_SOURCE_DIR}/packaging/icons/vantferrant.svg)

install(TARGETS VANTFerrant vant-handset RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages are installed compressed; -n leaves the time stamp out so builds are repeatable.
set(vant_man_page ${vant_packaging_dir}/VANTFerrant.1.gz)
add_custom_command(OUTPUT ${vant_man_page}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${vant_packaging_dir}
  COMMAND sh -c "gzip -9 -n -c \"$0\" > \"$1\"" ${PROJECT_SOURCE_DIR}/docs/VANTFerrant.1
          ${vant_man_page}
  DEPENDS ${PROJECT_SOURCE_DIR}/docs/VANTFerrant.1
  COMMENT "Compressing the manual page"
  VERBATIM)
set(vant_packaging_outputs ${vant_man_page})
install(FILES ${vant_man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Menus and docks want bitmaps at fixed sizes beside the scalable icon.
find_program(VANT_RSVG_CONVERT rsvg-convert)
if(VANT_RSVG_CONVERT)
  foreach(size ${VANT_ICON_SIZES})
    set(png ${vant_packaging_dir}/icons/${size}x${size}/vantferrant.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${vant_packaging_dir}/icons/${size}x${size}
      COMMAND ${VANT_RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${vant_icon_svg}
      DEPENDS ${vant_icon_svg}
      COMMENT "Rendering the ${size}x${size} icon"
      VERBATIM)
    list(APPEND vant_packaging_outputs ${png})
    install(FILES ${png} DESTINATION ${VANT_INSTALL_ICONDIR}/${size}x${size}/apps)
  endforeach()
else()
  message(WARNING "rsvg-convert (Debian package librsvg2-bin) not found: "
                  "only the scalable icon will be installed")
endif()
add_custom_target(vant_packaging_files ALL DEPENDS ${vant_packaging_outputs})

install(FILES ${vant_icon_svg} DESTINATION ${VANT_INSTALL_ICONDIR}/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/vantferrant.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
              ${PROJECT_SOURCE_DIR}/docs/user-guide.md
        DESTINATION ${VANT_INSTALL_DOCDIR})
if(EXISTS ${PROJECT_SOURCE_DIR}/docs/images)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/images DESTINATION ${VANT_INSTALL_DOCDIR}
          FILES_MATCHING PATTERN "*.png")
endif()

# The Debian package. dpkg-shlibdeps reads the installed executables and turns the shared
# libraries they need (Qt 6, the C++ runtime) into the Depends field.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${VANT_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "VANT Ferrant developers")
set(CPACK_PACKAGE_CONTACT "VANT Ferrant developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "manage a mobile handset's embedded file system over a serial line")
set(CPACK_PACKAGE_DESCRIPTION [[VANT Ferrant lists, copies, creates and removes files and directories on a
handset's embedded file system (EFS) over a serial line, loads and deletes VANT
application modules, reads the free and total space, and resets the handset or
puts it offline. With arguments it is a console tool; without arguments it
opens a window. The port name SIM selects a built-in virtual handset, and
vant-handset serves one on a pseudo-terminal.]])
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
