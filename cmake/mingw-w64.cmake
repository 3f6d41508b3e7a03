# Cross build for 64-bit Windows with Debian's MinGW-w64 (the posix threads variant, which
# std::thread and std::mutex need). The libraries come from GIFTGUARD_MINGW_PREFIX, the prefix
# tools/windows_deps.sh builds, and from the compiler's own folder (zlib, the Win32 import libraries).
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DGIFTGUARD_MINGW_PREFIX=<prefix> ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(giftguard_mingw_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${giftguard_mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${giftguard_mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${giftguard_mingw_triple}-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)

# try_compile projects read this file again without the cache: the prefix travels in the
# environment to reach them.
if(GIFTGUARD_MINGW_PREFIX)
  set(ENV{GIFTGUARD_MINGW_PREFIX} "${GIFTGUARD_MINGW_PREFIX}")
else()
  set(GIFTGUARD_MINGW_PREFIX "$ENV{GIFTGUARD_MINGW_PREFIX}")
endif()

set(CMAKE_FIND_ROOT_PATH ${GIFTGUARD_MINGW_PREFIX} /usr/${giftguard_mingw_triple})
set(CMAKE_PREFIX_PATH ${GIFTGUARD_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads only the Windows libraries' files, and with --static it names the Windows
# system libraries that static SDL and FreeType need.
set(ENV{PKG_CONFIG_LIBDIR} "${GIFTGUARD_MINGW_PREFIX}/lib/pkgconfig:/usr/${giftguard_mingw_triple}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
# The compiler's own folders stay out of the flags: a -I of them would put the C headers ahead
# of the C++ library's wrappers.
set(ENV{PKG_CONFIG_SYSTEM_INCLUDE_PATH} /usr/${giftguard_mingw_triple}/include)
set(ENV{PKG_CONFIG_SYSTEM_LIBRARY_PATH} /usr/${giftguard_mingw_triple}/lib)
set(PKG_CONFIG_ARGN --static)
