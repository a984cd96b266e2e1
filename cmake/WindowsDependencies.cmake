# The Windows build's dependencies, from the prefix that scripts/setup-windows-deps.sh fills.
# jsoncpp is a DLL of its own (one copy for every library of the process); fmt and spdlog are
# header-only; utfcpp and CLI11 are header-only anyway.
if(NOT ORV_WINDOWS_DEPS OR NOT EXISTS "${ORV_WINDOWS_DEPS}/include")
  message(FATAL_ERROR "ORV_WINDOWS_DEPS (${ORV_WINDOWS_DEPS}) has no dependencies: "
                      "run scripts/setup-windows-deps.sh first (./test.sh windows does)")
endif()

find_package(jsoncpp REQUIRED CONFIG)
set_property(TARGET jsoncpp_lib APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS JSON_DLL)
if(ORV_BUILD_TESTS)
  find_package(GTest REQUIRED CONFIG)
endif()

function(orv_header_only_dependency target)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${ORV_WINDOWS_DEPS}/include"
    INTERFACE_COMPILE_DEFINITIONS "${ARGN}")
endfunction()
orv_header_only_dependency(fmt::fmt FMT_HEADER_ONLY)
orv_header_only_dependency(spdlog::spdlog SPDLOG_HEADER_ONLY SPDLOG_FMT_EXTERNAL FMT_HEADER_ONLY)
orv_header_only_dependency(utf8::cpp "")
set_property(TARGET utf8::cpp APPEND PROPERTY INTERFACE_INCLUDE_DIRECTORIES
  "${ORV_WINDOWS_DEPS}/include/utf8cpp")
orv_header_only_dependency(CLI11::CLI11 "")

# The mingw-w64 runtime DLLs that every program of ours loads, to sit beside them.
execute_process(COMMAND ${ORV_MINGW_GCC} -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE _orv_libstdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${ORV_MINGW_GCC} -print-file-name=libgcc_s_seh-1.dll
                OUTPUT_VARIABLE _orv_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
find_file(ORV_WINPTHREAD_DLL libwinpthread-1.dll PATHS /usr/x86_64-w64-mingw32/lib
          NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(ORV_WINDOWS_RUNTIME_DLLS
  "${_orv_libstdcxx}" "${_orv_libgcc}" "${ORV_WINPTHREAD_DLL}"
  "${ORV_WINDOWS_DEPS}/bin/libjsoncpp.dll")
