# GoogleTest for a cross-build whose target Debian has no libgtest for (Windows): Debian's
# googletest sources in /usr/src/googletest, built with the cross compiler as part of the build.
# They keep their own warning flags: the project's strict ones (and -Werror) are not for them.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
set_property(TARGET gtest gtest_main PROPERTY COMPILE_OPTIONS "")
