# Cross-building for arm64 on an amd64 Debian machine, with Debian's packages only:
#   cmake -S . -B build-arm64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
# The compilers come from crossbuild-essential-arm64, the libraries and their CMake and
# pkg-config files from the arm64 multiarch packages (qt6-base-dev:arm64, libserialport-dev:arm64,
# libgtest-dev:arm64, pkgconf:arm64) in /usr/lib/aarch64-linux-gnu, and Qt's host tools (moc,
# uic, rcc) from the build machine's own Qt. scripts/deps arm64 installs all of it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# pkgconf's arm64 personality: it reads /usr/lib/aarch64-linux-gnu/pkgconfig, never the amd64 one.
set(PKG_CONFIG_EXECUTABLE /usr/bin/aarch64-linux-gnu-pkg-config CACHE FILEPATH "")

# Qt's host tools run on the build machine: its own Qt under /usr (amd64) provides them.
execute_process(COMMAND dpkg-architecture -qDEB_BUILD_MULTIARCH
                OUTPUT_VARIABLE _build_multiarch OUTPUT_STRIP_TRAILING_WHITESPACE)
set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${_build_multiarch}/cmake CACHE PATH "")

# The arm64 programs run under user-mode emulation wherever the build runs them (CTest, the
# discovery of the tests), whether or not binfmt_misc knows the format. Their sysroot is /: the
# dynamic loader, libc and everything else from the arm64 multiarch packages, as on an arm64
# Debian machine. (/usr/aarch64-linux-gnu, the cross compiler's own copy of libc, would pair
# its loader with the multiarch libc of another build.) -L pins the sysroot, so that an
# /etc/qemu-binfmt/aarch64 on the machine cannot change it.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-aarch64-static -L /)
