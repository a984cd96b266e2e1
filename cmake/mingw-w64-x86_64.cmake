# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the posix thread flavour, for
# std::thread). Programs built this way run here under Wine, which CTest uses as emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
# The GCC whose runtime DLLs every program of the build loads, whichever compiler builds it.
set(ORV_MINGW_GCC x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_DLLTOOL x86_64-w64-mingw32-dlltool)

# ORV_WINDOWS_DEPS: the prefix that scripts/setup-windows-deps.sh fills (jsoncpp, GoogleTest,
# the header-only libraries). Forwarded to try_compile, which reads this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORV_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${ORV_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows programs run under Wine in the project's own prefix (scripts/wine-run.sh).
set(ORV_WINE_RUN ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
if(EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ORV_WINE_RUN})
endif()
