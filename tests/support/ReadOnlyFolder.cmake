# serkon_read_only_folder(<test target>)
# Under Wine a folder's Unix permissions decide whether a Windows program may add a file to it,
# and the program cannot change them; for a cross-build, whose tests run there, the build makes
# such a folder (mode 0555) for the target's tests (ReadOnlyFolderWindows.h).
function(serkon_read_only_folder target)
  if(CMAKE_CROSSCOMPILING)
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/read-only)
    file(MAKE_DIRECTORY ${folder})
    file(CHMOD ${folder} PERMISSIONS OWNER_READ OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                     WORLD_READ WORLD_EXECUTE)
    target_compile_definitions(${target} PRIVATE SERKON_TEST_READ_ONLY_FOLDER="${folder}")
  endif()
endfunction()
