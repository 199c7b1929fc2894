# Cross-compiles the Windows modules on Debian with mingw-w64 (x86-64, the POSIX
# threads variant of the compilers), against mingw-w64's own Windows headers and
# libraries under /usr/x86_64-w64-mingw32.
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RVD_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RVD_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RVD_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${RVD_MINGW_TRIPLE}-windres)

# Libraries and headers (zlib among them) come from the target's tree only; the
# build machine's own are never picked up.
set(CMAKE_FIND_ROOT_PATH /usr/${RVD_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own run-time (libgcc, libstdc++, winpthread) goes inside each DLL,
# so a module needs only system DLLs and zlib beside it.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
