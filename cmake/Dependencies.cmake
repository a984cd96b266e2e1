# Every dependency comes from Debian's packages (scripts/setup-deps.sh installs them).
find_package(Threads REQUIRED)
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

# Targets: fmt::fmt, spdlog::spdlog, JsonCpp::JsonCpp, utf8::cpp, CLI11::CLI11,
# GTest::gtest_main, GTest::gmock, benchmark::benchmark.
