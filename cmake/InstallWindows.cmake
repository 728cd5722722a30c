# Installed as the portable folder of the Windows zip: the three programs, the five driver
# libraries beside them (the programs look for them in the folder of their executable), Qt's
# libraries and the plugins the programs need, the compiler's runtime, and how to start, in Czech.
set(SERKON_INSTALL_DIR . CACHE STRING "Folder of the programs and driver libraries, relative to the prefix")
install(TARGETS ${SERKON_PROGRAMS} RUNTIME DESTINATION ${SERKON_INSTALL_DIR})
install(TARGETS ${SERKON_DRIVER_TARGETS} LIBRARY DESTINATION ${SERKON_INSTALL_DIR})
foreach(library IN LISTS SERKON_QT_LIBRARIES)
  install(FILES $<TARGET_FILE:${library}> DESTINATION ${SERKON_INSTALL_DIR})
endforeach()
set(_plugins ${SERKON_QT_PLUGINS})
while(_plugins)
  list(POP_FRONT _plugins _folder _plugin)
  install(FILES $<TARGET_FILE:${_plugin}> DESTINATION ${SERKON_INSTALL_DIR}/${_folder})
endwhile()
install(FILES ${SERKON_MINGW_RUNTIME} DESTINATION ${SERKON_INSTALL_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/windows/CTIMNE.txt DESTINATION ${SERKON_INSTALL_DIR})
