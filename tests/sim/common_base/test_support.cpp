#include "test_support.h"

#include <fstream>
#include <random>

#include "sim/common_base/control.h"
#include "winapi/sim/control.h"

namespace orvtest {

void CommonBaseFixture::SetUp() {
    winsim::ResetMachine();
    orvsim::ResetCommonBase();
    orvsim::ClearTrace();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    logDirectory_ = std::filesystem::temp_directory_path() /
                    ("orv-common-base-" + std::to_string(std::random_device{}()) + "-" +
                     info->test_suite_name() + "-" + info->name());
    std::filesystem::remove_all(logDirectory_);
    orvsim::SetLogDirectory(logDirectory_);
}

void CommonBaseFixture::TearDown() {
    std::error_code ignored;
    std::filesystem::remove_all(logDirectory_, ignored);
}

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool EventuallyTraced(const std::string& component, const std::string& operation) {
    return orvsim::WaitForTrace(
        [&](const orvsim::TraceEntry& entry) {
            return entry.component == component && entry.operation == operation;
        },
        kEventually);
}

}  // namespace orvtest
