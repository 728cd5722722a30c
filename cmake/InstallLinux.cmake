# Installed as built: the programs look for their driver libraries in the directory of their
# executable, the real one behind any link, so the three programs and the five libraries go into
# one folder of their own, <prefix>/lib/serkon, and <prefix>/bin gets links to the programs.
# Beside them the desktop entry, icon, metainfo, manual pages, shell completion and udev rule.
include(GNUInstallDirs)
set(SERKON_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/serkon CACHE STRING
    "Folder of the programs and driver libraries, relative to the prefix")
set(SERKON_UDEV_RULES_DIR lib/udev/rules.d CACHE STRING "Folder of udev rules")
install(TARGETS ${SERKON_PROGRAMS} RUNTIME DESTINATION ${SERKON_INSTALL_DIR})
install(TARGETS ${SERKON_DRIVER_TARGETS} LIBRARY DESTINATION ${SERKON_INSTALL_DIR})
file(RELATIVE_PATH SERKON_INSTALL_FROM_BIN /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${SERKON_INSTALL_DIR})
install(CODE "
  foreach(program ${SERKON_PROGRAMS})
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${bin}\")
    message(STATUS \"Installing: \${bin}/\${program} -> ${SERKON_INSTALL_FROM_BIN}/\${program}\")
    file(CREATE_LINK \"${SERKON_INSTALL_FROM_BIN}/\${program}\" \"\${bin}/\${program}\" SYMBOLIC)
  endforeach()
")
set(_data ${PROJECT_SOURCE_DIR}/data)
install(FILES ${_data}/cz.serkon.Serkon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_data}/cz.serkon.Serkon.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_data}/icons/hicolor/scalable/apps/serkon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The pages are Czech, like the programs, and lie where man finds them in any locale.
install(FILES ${_data}/man/serkon.1 ${_data}/man/serkon-cli.1 ${_data}/man/serkon-sim.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_data}/serkon-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME serkon-cli)
install(FILES ${_data}/60-serkon.rules DESTINATION ${SERKON_UDEV_RULES_DIR})
