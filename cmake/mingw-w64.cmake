# Cross-compiles the Windows modules on Debian with mingw-w64 (the POSIX threads
# variant of the compilers: the engines use std::thread), against mingw-w64's own
# Windows headers and libraries.
#
# What ships is 32-bit: the user interface that loads the modules is a 32-bit
# program. RVD_WINDOWS_ARCH=x86_64 builds the 64-bit side (the installer x64\Inst.exe).
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#   cmake -S . -B build-windows-x64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DRVD_WINDOWS_ARCH=x86_64
set(CMAKE_SYSTEM_NAME Windows)
if(NOT RVD_WINDOWS_ARCH)
  set(RVD_WINDOWS_ARCH i686)
endif()
# try_compile projects read this file again: hand them the same choice.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES RVD_WINDOWS_ARCH)

if(RVD_WINDOWS_ARCH STREQUAL "i686")
  set(CMAKE_SYSTEM_PROCESSOR x86)
  # Windows 2000 SP4 is the oldest system the 32-bit modules run on.
  set(rvd_oldest_windows 0x0500)
elseif(RVD_WINDOWS_ARCH STREQUAL "x86_64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
  # Windows XP x64 / Server 2003 x64 is the oldest 64-bit system.
  set(rvd_oldest_windows 0x0502)
else()
  message(FATAL_ERROR "RVD_WINDOWS_ARCH is i686 or x86_64, not ${RVD_WINDOWS_ARCH}")
endif()

set(RVD_MINGW_TRIPLE ${RVD_WINDOWS_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${RVD_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RVD_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${RVD_MINGW_TRIPLE}-windres)

# The headers offer only the calls of the oldest supported system, so a newer call
# is a compile error rather than a module that does not load there.
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=${rvd_oldest_windows} -DWINVER=${rvd_oldest_windows}")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=${rvd_oldest_windows} -DWINVER=${rvd_oldest_windows}")

# Libraries and headers (zlib among them) come from the target's tree only; the
# build machine's own are never picked up.
set(CMAKE_FIND_ROOT_PATH /usr/${RVD_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# zlib, the compiler's run-time (libgcc, libstdc++) and winpthread go inside each
# module, so a module needs nothing beside it but system DLLs and our own modules.
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
