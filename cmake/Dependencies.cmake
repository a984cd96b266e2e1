# Every dependency comes from Debian's packages: on Linux their -dev packages
# (scripts/setup-deps.sh); for Windows with mingw-w64 jsoncpp and GoogleTest built from
# Debian's sources and the header-only libraries' Debian headers (scripts/setup-windows-deps.sh,
# ORV_WINDOWS_DEPS). With MSVC (preset windows-msvc) vcpkg provides the same, from vcpkg.json.
find_package(Threads REQUIRED)
if(WIN32 AND NOT MSVC)
  include(WindowsDependencies)
elseif(MSVC)
  find_package(fmt CONFIG REQUIRED)
  find_package(spdlog CONFIG REQUIRED)
  find_package(jsoncpp CONFIG REQUIRED)
  find_package(utf8cpp CONFIG REQUIRED)
  find_package(CLI11 CONFIG REQUIRED)
  if(ORV_BUILD_TESTS)
    find_package(GTest CONFIG REQUIRED)
  endif()
  # vcpkg copies the DLLs each program loads beside it.
  set(ORV_WINDOWS_RUNTIME_DLLS "")
else()
  find_package(fmt REQUIRED)
  find_package(spdlog REQUIRED)
  find_package(jsoncpp REQUIRED)
  find_package(utf8cpp REQUIRED)
  find_package(CLI11 REQUIRED CONFIG)
  if(ORV_BUILD_TESTS)
    find_package(GTest REQUIRED)
  endif()
  if(ORV_BUILD_BENCH)
    find_package(benchmark REQUIRED)
  endif()
endif()

# Targets: fmt::fmt, spdlog::spdlog, JsonCpp::JsonCpp, utf8::cpp, CLI11::CLI11,
# GTest::gtest_main, GTest::gmock, benchmark::benchmark.
