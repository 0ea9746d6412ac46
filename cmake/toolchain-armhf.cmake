# Cross build for 32-bit ARM Linux with Debian's cross compiler; the tests run
# under qemu-user with the armhf libraries of multiarch.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)
# The programs run on the armhf runtime of multiarch (libc6:armhf and the
# libraries beside it), loader included. The cross toolchain's own copies
# under /usr/arm-linux-gnueabihf are for linking only: a loader taken from
# there (qemu-arm -L) with the multiarch libc, of another Debian revision,
# crashes every program that starts a thread.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm)
set(CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabihf /usr)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
# pkg-config reads the armhf packages' files (cpp-httplib:armhf and what it
# requires), not the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/arm-linux-gnueabihf/pkgconfig:/usr/share/pkgconfig")
