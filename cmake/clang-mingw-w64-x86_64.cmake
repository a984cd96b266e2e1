# The Windows build with Clang instead of GCC, so that clang's thread-safety analysis checks
# the code as it builds against real Win32. Debian has no Clang-for-mingw toolchain of its
# own, so Clang targets x86_64-w64-mingw32 with the headers, libstdc++ and binutils of
# Debian's mingw-w64 GCC (posix threads).
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)

set(_orv_gcc /usr/lib/gcc/x86_64-w64-mingw32/12-posix)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_CXX_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_SYSROOT /usr/x86_64-w64-mingw32)
# GCC's mingw libstdc++ keeps its thread-locals in emulated TLS; Clang must agree.
set(CMAKE_C_FLAGS_INIT "-femulated-tls")
set(CMAKE_CXX_FLAGS_INIT
    "-femulated-tls -nostdinc++ -isystem ${_orv_gcc}/include/c++ -isystem ${_orv_gcc}/include/c++/x86_64-w64-mingw32 -isystem ${_orv_gcc}/include/c++/backward")
set(_orv_link "-Wno-unused-command-line-argument -fuse-ld=bfd -pthread -L${_orv_gcc}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_orv_link}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_orv_link}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${_orv_link}")
