# Cross-builds Brisol's core for 64-bit ARM Linux on Debian, and runs what it
# builds under qemu-user on Debian's ARM libraries (libc6:arm64 and
# libstdc++6:arm64), which carry the C library's code-page converters. The
# cross toolchain's own copies must not be mixed in: its loader beside
# Debian's C library, another build of it, hung the threaded tests.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(BRISOL_ARM64_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${BRISOL_ARM64_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${BRISOL_ARM64_TRIPLE}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${BRISOL_ARM64_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static)
