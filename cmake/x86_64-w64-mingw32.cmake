# Cross-building for Windows x86_64 on a Debian machine, with Debian's mingw-w64 only:
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake \
#         -DCMAKE_PREFIX_PATH=<the Qt that scripts/build-qt-windows made>
# The compilers are the posix thread model's, named as such: with both models installed, the
# plain x86_64-w64-mingw32-g++ is the win32 one, which Qt 6 cannot use. Qt's host tools (moc,
# uic, rcc) come from the build machine's own Qt under /usr. The same file builds that Qt.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Libraries and headers of the target only from the mingw tree and what CMAKE_PREFIX_PATH adds.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

execute_process(COMMAND dpkg-architecture -qDEB_BUILD_MULTIARCH
                OUTPUT_VARIABLE _build_multiarch OUTPUT_STRIP_TRAILING_WHITESPACE)
set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${_build_multiarch}/cmake CACHE PATH "")

# The Windows programs of the build run under Wine wherever the build runs them (CTest, the
# listing of the tests), in the Wine prefix that the test run made (scripts/wine-run).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
