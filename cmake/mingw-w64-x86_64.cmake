# Cross build for 64-bit Windows with mingw-w64 (POSIX thread model, for std::thread).
# VELORA_MINGW_PREFIX names the folder of Qt and libpcap built for Windows by
# scripts/windows-libs; the programs link the C++ runtime as DLLs, which ship beside them as
# Qt's own DLLs need them too.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELORA_MINGW_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${VELORA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Never the build machine's own packages.
set(ENV{PKG_CONFIG_LIBDIR} "${VELORA_MINGW_PREFIX}/lib/pkgconfig")

# Test programs run under Wine, at build time too (GoogleTest's discovery).
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
