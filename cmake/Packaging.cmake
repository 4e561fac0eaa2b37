# SPDX-License-Identifier: GPL-3.0-or-later
# Installing like a desktop program (desktop entry, icons, AppStream, manual
# page, copyright) and the Debian package. Included once the program's
# targets exist and before the tests' and benchmarks', which are not
# installed.

set(RELOGIO_APP_ID "io.github.trivelandor.relogio")
set(RELOGIO_HOMEPAGE "https://github.com/trivelandor/relogio")
target_compile_definitions(relogio PRIVATE RELOGIO_APP_ID="${RELOGIO_APP_ID}")

configure_file(data/relogio.desktop.in ${RELOGIO_APP_ID}.desktop @ONLY)
configure_file(data/relogio.metainfo.xml.in ${RELOGIO_APP_ID}.metainfo.xml @ONLY)

# The stopwatch for the icon theme: the drawing itself, and pictures of it
# at the sizes task bars and menus ask for.
add_executable(render_icon tools/render_icon.cpp)
target_link_libraries(render_icon PRIVATE Qt6::Gui Qt6::Svg)
set(RELOGIO_ICON_SVG ${CMAKE_CURRENT_SOURCE_DIR}/resources/images/relogio.svg)
set(RELOGIO_ICON_PNGS)
foreach(size 16 22 24 32 48 64 128 256)
  set(png ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}/${RELOGIO_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}
    COMMAND render_icon ${RELOGIO_ICON_SVG} ${png} ${size}
    DEPENDS render_icon ${RELOGIO_ICON_SVG} VERBATIM)
  list(APPEND RELOGIO_ICON_PNGS ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(relogio_icons ALL DEPENDS ${RELOGIO_ICON_PNGS})

# The manual page and the changelog, compressed as Debian keeps them: at the
# highest level, and without the name and time stamp in the header, so that
# the same text always gives the same bytes.
find_program(GZIP gzip REQUIRED)
configure_file(data/relogio.1.in relogio.1 @ONLY)
set(RELOGIO_DOCS)
foreach(source ${CMAKE_CURRENT_BINARY_DIR}/relogio.1 ${CMAKE_CURRENT_SOURCE_DIR}/data/changelog)
  get_filename_component(name ${source} NAME)
  set(plain ${CMAKE_CURRENT_BINARY_DIR}/compressed/${name})
  add_custom_command(OUTPUT ${plain}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
    COMMAND ${GZIP} -9nf ${plain}
    DEPENDS ${source} VERBATIM)
  list(APPEND RELOGIO_DOCS ${plain}.gz)
endforeach()
add_custom_target(relogio_docs ALL DEPENDS ${RELOGIO_DOCS})

# Every shared library and module the project builds belongs to the program
# alone and goes to its private folder; the program's search path leads
# there from wherever it is installed.
function(relogio_private_libraries out directory)
  set(found)
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
      list(APPEND found ${target})
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    relogio_private_libraries(below ${subdirectory})
    list(APPEND found ${below})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()
relogio_private_libraries(RELOGIO_PRIVATE_LIBRARIES ${CMAKE_CURRENT_SOURCE_DIR})

install(TARGETS relogio RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set_target_properties(relogio PROPERTIES INSTALL_RPATH "$ORIGIN/${RELOGIO_PRIVATE_LIBDIR_FROM_BIN}")
install(TARGETS ${RELOGIO_PRIVATE_LIBRARIES} LIBRARY DESTINATION ${RELOGIO_PRIVATE_LIBDIR} NAMELINK_SKIP)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${RELOGIO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${RELOGIO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${RELOGIO_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${RELOGIO_APP_ID}.svg)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/compressed/relogio.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES data/copyright ${CMAKE_CURRENT_BINARY_DIR}/compressed/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# ---- The Debian package ----
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME relogio)
set(CPACK_PACKAGE_VENDOR "Ovalen Brakmund")
set(CPACK_PACKAGE_CONTACT "Ovalen Brakmund <relogio@trivelandor.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Despertador simples com mensagem e som")
set(CPACK_PACKAGE_DESCRIPTION "Relógio Trivelandor Ovalen Brakmund: um pequeno relógio despertador que toca\n um som MP3, WAV ou WMA e mostra sua mensagem na hora escolhida.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${RELOGIO_HOMEPAGE})

# The libraries the binaries link come from dpkg-shlibdeps, which finds our
# own private ones in the staged tree (it runs at its root).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(REGEX REPLACE "^/" "" relogio_staged_prefix "${CPACK_PACKAGING_INSTALL_PREFIX}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${relogio_staged_prefix}/${RELOGIO_PRIVATE_LIBDIR}")
unset(relogio_staged_prefix)

# What is loaded at run time, which dpkg-shlibdeps cannot see:
set(relogio_depends
  # GStreamer's playbin, decodebin, appsink and audio converters, through
  # which Qt's media backend (in libqt6multimedia6) decodes every sound.
  gstreamer1.0-plugins-base
  # The WAV parser and the MP3 parser and decoder.
  gstreamer1.0-plugins-good
  # The ASF container that holds a WMA sound (asfdemux).
  gstreamer1.0-plugins-ugly
  # The WMA decoder (avdec_wmav2).
  gstreamer1.0-libav
  # DejaVu Sans Condensed, the font the windows are sized for (it brings
  # fonts-dejavu-core with it).
  fonts-dejavu-extra
)
list(JOIN relogio_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
set(relogio_recommends
  # Volume opens the desktop's own sound settings, else a mixer: any one of
  # these satisfies it, so GNOME, Plasma, MATE, Cinnamon and Budgie users get
  # nothing more, and elsewhere PulseAudio's mixer (also on PipeWire) comes.
  "pavucontrol | pavucontrol-qt | gnome-control-center | plasma-pa | mate-media | cinnamon | budgie-control-center"
  # Qt's own buttons and dialogs in Portuguese; without them they read in
  # English and the clock still works.
  qt6-translations-l10n
  # The clock as a native window in a Wayland session (else through
  # XWayland).
  qt6-wayland
)
list(JOIN relogio_recommends ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)
unset(relogio_depends)
unset(relogio_recommends)

# Stripped as Debian's own tools strip, once the files are staged.
set(CPACK_STRIP_FILES OFF)
set(CPACK_RELOGIO_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/StripStaged.cmake)
include(CPack)
