# Cross build for 64-bit Windows with mingw-w64 (Debian's g++-mingw-w64-x86-64-posix).
#
# The posix thread model, because std::thread and std::mutex do not compile with the win32 one;
# the C and C++ runtimes linked statically, so the programs and DLLs need no DLL of the compiler's
# (without -static they ask for libwinpthread-1.dll and friends and do not start).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BS_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BS_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BS_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${BS_MINGW_TRIPLE}-windres)

# Libraries and headers come from the cross environment only; programs (sox, objdump) from Linux.
set(CMAKE_FIND_ROOT_PATH /usr/${BS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
