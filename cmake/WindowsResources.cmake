# What Windows reads from a program or library file itself: the version resource (Explorer's
# properties, the installer), and for the programs the manifest (Windows 10/11, per-monitor DPI
# awareness, no elevation) and the main program's icon, made at build time from the project's
# SVG with Debian's rsvg-convert and icotool.
set(SERKON_PUBLISHER "SERKON")
set(SERKON_COPYRIGHT "© autoři programu SERKON")
string(REPLACE "." "," _commas "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0")
set(SERKON_RC_VERSION_COMMAS ${_commas})
set(SERKON_RC_VERSION_DOTS "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0")

find_program(SERKON_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(SERKON_ICOTOOL icotool REQUIRED)
set(SERKON_ICON ${CMAKE_BINARY_DIR}/windows/serkon.ico)
set(_svg ${PROJECT_SOURCE_DIR}/data/icons/hicolor/scalable/apps/serkon.svg)
set(_pngs)
set(_commands)
foreach(size 16 24 32 48 64 128 256)
  set(png ${CMAKE_BINARY_DIR}/windows/serkon-${size}.png)
  list(APPEND _pngs ${png})
  list(APPEND _commands COMMAND ${SERKON_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${_svg})
endforeach()
# The 256-pixel image stays PNG inside the icon, as Windows expects of that size.
list(POP_BACK _pngs _png256)
add_custom_command(OUTPUT ${SERKON_ICON}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/windows
  ${_commands}
  COMMAND ${SERKON_ICOTOOL} -c -o ${SERKON_ICON} ${_pngs} -r ${_png256}
  DEPENDS ${_svg} VERBATIM)
add_custom_target(serkon_icon DEPENDS ${SERKON_ICON})

# serkon_windows_resources(<target> <file name> <description> [PROGRAM] [ICON])
function(serkon_windows_resources target file description)
  cmake_parse_arguments(ARG "PROGRAM;ICON" "" "" ${ARGN})
  set(SERKON_RC_FILE ${file})
  set(SERKON_RC_NAME ${target})
  set(SERKON_RC_DESCRIPTION ${description})
  set(SERKON_RC_EXTRA "")
  if(ARG_PROGRAM)
    set(SERKON_RC_TYPE VFT_APP)
    set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/serkon.manifest.in ${manifest} @ONLY)
    string(APPEND SERKON_RC_EXTRA "1 24 \"${manifest}\"\n")
  else()
    set(SERKON_RC_TYPE VFT_DLL)
  endif()
  if(ARG_ICON)
    string(APPEND SERKON_RC_EXTRA "1 ICON \"${SERKON_ICON}\"\n")
    add_dependencies(${target} serkon_icon)
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  if(ARG_ICON)
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${SERKON_ICON})
  endif()
endfunction()
