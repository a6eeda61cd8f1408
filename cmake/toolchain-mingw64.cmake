# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (the posix
# threads variant, which std::thread and std::mutex need) and runs what it
# builds under Wine: tests, generators and the fuzz replay alike.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(Z917_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${Z917_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${Z917_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${Z917_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${Z917_MINGW_TRIPLE}-objdump CACHE FILEPATH "objdump for PE files")

# Only the cross sysroot answers for libraries and headers; programs
# (ninja, python3) still come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${Z917_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config likewise: the host's .pc files describe Linux libraries.
set(ENV{PKG_CONFIG_LIBDIR} ${CMAKE_FIND_ROOT_PATH}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# The 64-bit loader itself: Debian's "wine" wrapper asks for the 32-bit
# half, which a 64-bit-only program never needs. scripts/wine-run gives
# every run the build's own prefix, quiet and without a display, and tells
# a failing program's status, which ctest does not show.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run --report)
