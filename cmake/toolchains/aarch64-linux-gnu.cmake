# Cross build for arm64 (aarch64) on a Debian build machine with the arm64
# libraries installed through multiarch (scripts/cross arm64 installs them):
#
#   cmake -S . -B build-arm64 --toolchain cmake/toolchains/aarch64-linux-gnu.cmake
#
# The arm64 libraries and their CMake packages live in /usr/lib/aarch64-linux-gnu
# and the arm64-only headers in /usr/include/aarch64-linux-gnu; Qt's code
# generators (moc, rcc, uic) are the build machine's own, from its Qt packages.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# Multiarch: the find commands look in lib/aarch64-linux-gnu under each prefix,
# never in the build machine's lib/x86_64-linux-gnu. The root is the whole
# machine, since multiarch keeps both architectures side by side in /usr.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# A library of the build machine's architecture in a plain lib folder is not ours.
set(velmira_build_multiarch ${CMAKE_HOST_SYSTEM_PROCESSOR}-linux-gnu)
list(APPEND CMAKE_IGNORE_PATH /usr/lib/${velmira_build_multiarch} /lib/${velmira_build_multiarch})

# Qt's host tools come from the build machine's Qt packages (Qt6CoreTools and
# the like, under its own multiarch folder).
set(QT_HOST_PATH /usr CACHE PATH "Where the build machine's Qt is")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${velmira_build_multiarch}/cmake
    CACHE PATH "The build machine's Qt CMake packages")

# Programs built here run at build and test time under user-mode emulation.
# The arm64 dynamic loader is where multiarch puts it (/lib/ld-linux-aarch64.so.1)
# and it reads the arm64 library folders from /etc/ld.so.conf.d, so no -L prefix
# is needed.
find_program(VELMIRA_QEMU_AARCH64 qemu-aarch64 REQUIRED NO_CMAKE_FIND_ROOT_PATH)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VELMIRA_QEMU_AARCH64})
