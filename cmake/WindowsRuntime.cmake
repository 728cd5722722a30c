# What the Windows programs load besides Windows itself: Qt's libraries and plugins and the
# runtime of the mingw-w64 compiler (posix threads). The build copies them beside the programs
# and beside the test programs, so that both run as they will from the zip; the install puts
# the same files into the zip's folder.

# Qt's libraries, and its plugins by folder: the Windows platform and style for the programs.
set(SERKON_QT_LIBRARIES Qt6::Core Qt6::Gui Qt6::Widgets)
set(SERKON_QT_PLUGINS
  platforms Qt6::QWindowsIntegrationPlugin
  styles Qt6::QWindowsVistaStylePlugin)
# Tests run on the offscreen platform, which users do not need.
set(SERKON_QT_TEST_PLUGINS platforms Qt6::QOffscreenIntegrationPlugin)

set(SERKON_MINGW_RUNTIME)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "The compiler knows no ${dll}: is mingw-w64's posix runtime installed?")
  endif()
  list(APPEND SERKON_MINGW_RUNTIME ${path})
endforeach()

# serkon_copy_windows_runtime(<target> <folder> <plugin pairs...>): a target that copies the
# libraries and the plugins (folder, target, folder, target, ...) into the folder.
function(serkon_copy_windows_runtime target folder)
  set(commands)
  foreach(library IN LISTS SERKON_QT_LIBRARIES)
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_if_different
         $<TARGET_FILE:${library}> ${folder})
  endforeach()
  foreach(file IN LISTS SERKON_MINGW_RUNTIME)
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${folder})
  endforeach()
  set(plugins ${ARGN})
  while(plugins)
    list(POP_FRONT plugins subfolder plugin)
    list(APPEND commands
         COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}/${subfolder}
         COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${plugin}> ${folder}/${subfolder})
  endwhile()
  add_custom_target(${target} ALL ${commands} VERBATIM)
endfunction()
