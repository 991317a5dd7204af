# Cross build for 64-bit ARM Linux with Debian's crossbuild-essential-arm64; programs run under
# qemu-user (Debian's qemu-user), so the tests can run on an x86-64 machine.  Used for the
# mixer's NEON level: bash tests/engine/arm64.sh
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(BS_ARM64_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${BS_ARM64_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${BS_ARM64_TRIPLE}-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/${BS_ARM64_TRIPLE})

set(CMAKE_FIND_ROOT_PATH /usr/${BS_ARM64_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
