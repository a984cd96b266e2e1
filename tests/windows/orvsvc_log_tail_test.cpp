// Following OrvService.log: only what is added after the start, whole lines, and what is left
// when the tail stops. A log that appears only after the start is followed in HostConsoleTest.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "orvsvc/log_tail.h"
#include "winapi/windows_api.h"

namespace orvsvc {
namespace {

using namespace std::chrono_literals;

class LogTailTest : public ::testing::Test {
  protected:
    ~LogTailTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }

    void Write(const std::string& text, std::ios::openmode mode = std::ios::app) {
        std::ofstream(path_, std::ios::binary | mode) << text;
    }

    // The lines passed on once `count` have come, or after a second.
    std::vector<std::string> Lines(std::size_t count) {
        for (int i = 0; i < 200; ++i, std::this_thread::sleep_for(5ms)) {
            const std::lock_guard lock(mutex_);
            if (lines_.size() >= count) {
                return lines_;
            }
        }
        const std::lock_guard lock(mutex_);
        return lines_;
    }

    const std::filesystem::path directory_ =
        std::filesystem::temp_directory_path() /
        ("orvsvc_log_tail_" + std::to_string(GetCurrentProcessId()));
    const std::filesystem::path path_ = directory_ / "OrvService.log";
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

TEST_F(LogTailTest, PassesWholeLinesAddedAfterTheStartAndWhatIsLeftWhenItStops) {
    std::filesystem::create_directories(directory_);
    Write("a long line from an earlier run\n");
    auto tail = std::make_unique<LogTail>(
        path_,
        [this](std::string_view line) {
            const std::lock_guard lock(mutex_);
            lines_.emplace_back(line);
        },
        5ms);
    Write("half a ");
    std::this_thread::sleep_for(30ms);
    Write("line\r\nsecond\n");
    EXPECT_EQ(Lines(2), (std::vector<std::string>{"half a line", "second"}));
    // A file shorter than what was read is a new one: read from its start.
    Write("new\n", std::ios::trunc);
    EXPECT_EQ(Lines(3), (std::vector<std::string>{"half a line", "second", "new"}));
    Write("last\nno end");
    tail.reset();
    EXPECT_EQ(Lines(5),
              (std::vector<std::string>{"half a line", "second", "new", "last", "no end"}));
}

}  // namespace
}  // namespace orvsvc
