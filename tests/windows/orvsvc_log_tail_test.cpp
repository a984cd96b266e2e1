// Following OrvService.log: only what is added after the start, whole lines, and what is left
// when the tail stops.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
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
    LogTailTest() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        directory_ =
            std::filesystem::temp_directory_path() /
            ("orvsvc_log_tail_" + std::to_string(GetCurrentProcessId()) + "_" + test->name());
        std::filesystem::create_directories(directory_);
        path_ = directory_ / "OrvService.log";
    }
    ~LogTailTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }

    void Append(const std::string& text) {
        std::ofstream file(path_, std::ios::binary | std::ios::app);
        file << text;
    }
    void Replace(const std::string& text) {
        std::ofstream file(path_, std::ios::binary | std::ios::trunc);
        file << text;
    }

    std::unique_ptr<LogTail> Tail(std::chrono::milliseconds period = 5ms) {
        return std::make_unique<LogTail>(
            path_,
            [this](std::string_view line) {
                const std::lock_guard lock(mutex_);
                lines_.emplace_back(line);
            },
            period);
    }

    // The lines passed on once `count` have come, or after a second.
    std::vector<std::string> Lines(std::size_t count) {
        for (int i = 0; i < 200; ++i) {
            {
                const std::lock_guard lock(mutex_);
                if (lines_.size() >= count) {
                    return lines_;
                }
            }
            std::this_thread::sleep_for(5ms);
        }
        const std::lock_guard lock(mutex_);
        return lines_;
    }

    std::filesystem::path directory_;
    std::filesystem::path path_;
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

TEST_F(LogTailTest, PassesOnlyLinesAddedAfterTheStartWithoutTheirBreaks) {
    Append("from an earlier run\n");
    const auto tail = Tail();
    Append("first\r\nsecond\n");
    EXPECT_EQ(Lines(2), (std::vector<std::string>{"first", "second"}));
}

TEST_F(LogTailTest, AnIncompleteLineWaitsForItsEnd) {
    const auto tail = Tail();
    Append("half a ");
    std::this_thread::sleep_for(30ms);
    Append("line\n");
    EXPECT_EQ(Lines(1), (std::vector<std::string>{"half a line"}));
}

TEST_F(LogTailTest, FollowsAFileThatAppearsLater) {
    const auto tail = Tail();
    std::this_thread::sleep_for(20ms);
    Append("created\n");
    EXPECT_EQ(Lines(1), (std::vector<std::string>{"created"}));
}

TEST_F(LogTailTest, ReadsAReplacedFileFromItsStart) {
    Append("a long line from before the replacement\n");
    const auto tail = Tail();
    Replace("new\n");
    EXPECT_EQ(Lines(1), (std::vector<std::string>{"new"}));
}

TEST_F(LogTailTest, StoppingPassesOnWhatHasComeIncludingAnIncompleteLine) {
    auto tail = Tail(std::chrono::hours(1));
    Append("last\nno end");
    tail.reset();
    EXPECT_EQ(Lines(2), (std::vector<std::string>{"last", "no end"}));
}

}  // namespace
}  // namespace orvsvc
