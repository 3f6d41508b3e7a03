# Install rules and the Debian package: the program and its data where Debian puts games, a menu
# entry, icons, AppStream metadata, a manual page, and CPack's package of all that (cpack -G DEB).

# Under the install prefix. The program finds its data from its own folder, through the relative
# path between these two, so that a staged (DESTDIR) or moved install works like the packaged one.
# Windows keeps a program's files together: its data beside it, under Program Files.
if(WIN32)
  set(giftguard_bindir .)
  set(giftguard_datadir data)
else()
  set(giftguard_bindir games)
  set(giftguard_datadir share/games/giftguard)
endif()
set(GIFTGUARD_INSTALL_BINDIR ${giftguard_bindir} CACHE STRING "Folder of the program, under the install prefix")
set(GIFTGUARD_INSTALL_DATADIR ${giftguard_datadir} CACHE STRING "Folder of the read-only data, under the prefix")
file(RELATIVE_PATH giftguard_data_from_program /${GIFTGUARD_INSTALL_BINDIR} /${GIFTGUARD_INSTALL_DATADIR})
target_compile_definitions(giftguard PRIVATE GIFTGUARD_VERSION="${PROJECT_VERSION}"
  GIFTGUARD_DATA_FROM_PROGRAM="${giftguard_data_from_program}")
# Debian's hardening asks for the program's relocations to be bound at start and read-only then.
if(NOT WIN32)
  target_link_options(giftguard PRIVATE LINKER:-z,relro,-z,now)
endif()

set(giftguard_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS giftguard RUNTIME DESTINATION ${GIFTGUARD_INSTALL_BINDIR})
# All of data/ but what the game writes there as it runs (the files .gitignore names): a new kind
# of data file, pictures or sounds, installs without a change here.
install(DIRECTORY data/ DESTINATION ${GIFTGUARD_INSTALL_DATADIR}
  PATTERN log.txt EXCLUDE PATTERN toplist.dat EXCLUDE PATTERN toplist.dat.* EXCLUDE)

if(WIN32)
  # The setup program and the zip carry this tree (tools/windows_package.sh), with the licences
  # of the libraries linked into the program beside the game's own.
  install(FILES ${giftguard_packaging}/copyright DESTINATION licences RENAME giftguard.txt)
  if(GIFTGUARD_MINGW_PREFIX)
    install(DIRECTORY ${GIFTGUARD_MINGW_PREFIX}/share/licences/ DESTINATION licences)
  endif()
  return()
endif()

# The menu entry names the program and its data folder by absolute path, which only the install
# knows: cmake --install's prefix, or the package's /usr.
install(CODE "
  set(GIFTGUARD_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${GIFTGUARD_INSTALL_BINDIR}/giftguard\")
  set(GIFTGUARD_DATA \"\${CMAKE_INSTALL_PREFIX}/${GIFTGUARD_INSTALL_DATADIR}\")
  configure_file(\"${giftguard_packaging}/giftguard.desktop.in\" \"${CMAKE_BINARY_DIR}/giftguard.desktop\" @ONLY)")
install(FILES ${CMAKE_BINARY_DIR}/giftguard.desktop DESTINATION share/applications)
# Drawn by tools/art/make_art.py into a hicolor tree.
install(DIRECTORY ${giftguard_packaging}/icons/ DESTINATION share/icons)
install(FILES ${giftguard_packaging}/io.github.giftguard.giftguard.metainfo.xml DESTINATION share/metainfo)

# The manual page and the changelog go compressed, without a time stamp, as Debian wants them;
# at install time, so that a build of the program alone installs.
foreach(file giftguard.6 changelog)
  install(CODE "execute_process(COMMAND gzip -9nc \"${giftguard_packaging}/${file}\"
    OUTPUT_FILE \"${CMAKE_BINARY_DIR}/${file}.gz\" COMMAND_ERROR_IS_FATAL ANY)")
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/giftguard.6.gz DESTINATION share/man/man6)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz ${giftguard_packaging}/copyright DESTINATION share/doc/giftguard)
install(FILES ${giftguard_packaging}/lintian-overrides DESTINATION share/lintian/overrides RENAME giftguard)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME giftguard)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "guard two gifts with the mouse from the figures that come for them")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "giftguard developers <developers@giftguard.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# CPack puts the summary above it and indents its lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "A small single-player arcade game played with the mouse: figures walk onto a
fixed field and try to carry off two gifts, and the player clicks them to
death. Five arcade levels with story pages, an endless survival game and a
top list, and behind it all a developer console with a small command
language.")
# The libraries from the program itself; the font is found through fontconfig while it runs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation2)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
