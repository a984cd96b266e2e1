#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <regex>
#include <thread>
#include <vector>

#include "platform/common_base/log.h"
#include "sim/common_base/log_control.h"
#include "test_support.h"
#include "winapi/windows_api.h"

namespace {

using ::testing::HasSubstr;

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class LogTest : public orvtest::CommonBaseFixture {
  protected:
    static orvsim::LogRecord Last() {
        auto records = orvsim::LogRecords();
        EXPECT_FALSE(records.empty());
        return records.empty() ? orvsim::LogRecord{} : records.back();
    }
};

TEST_F(LogTest, RendersArgumentsByTheirTypeAndAMismatchedFormatRaw) {
    enum class Kind : int { kThird = 3 };
    const std::wstring text = L"10.2.3";
    const struct {
        std::function<void()> write;
        const wchar_t* expected;
    } cases[] = {
        {[&] { ORV::g_log.d(L"%s: version %s", L"Scope", text); }, L"Scope: version 10.2.3"},
        // A DWORD above INT_MAX must not come out negative, whatever the width of long.
        {[] { ORV::g_log.e(L"[TID:%lu]", static_cast<DWORD>(4000000000u)); }, L"[TID:4000000000]"},
        {[] { ORV::g_log.e(L"failed with %d.", static_cast<HRESULT>(0x8000FFFFu)); },
         L"failed with -2147418113."},
        {[] { ORV::g_log.d(L"new secs=%llu", 17179869184ull); }, L"new secs=17179869184"},
        {[] { ORV::g_log.d(L"received %d", reinterpret_cast<HANDLE>(std::uintptr_t{42})); },
         L"received 42"},
        {[] { ORV::g_log.d(L"%d", Kind::kThird); }, L"3"},
    };
    for (const auto& c : cases) {
        c.write();
        EXPECT_EQ(Last().message, c.expected);
    }

    // A mismatched format is written raw and never throws.
    EXPECT_NO_THROW(ORV::g_log.e(L"%s: count %d", L"Scope", L"not a number"));
    const auto record = Last();
    EXPECT_EQ(record.level, ORV::Log::kError);
    EXPECT_THAT(record.message, HasSubstr(L"%s: count %d [log format error:"));
    EXPECT_NO_THROW(ORV::g_log.d(L"%s %s", L"only one"));
    EXPECT_NO_THROW(ORV::g_log.d(nullptr));
}

TEST_F(LogTest, InitLogWritesWholeLinesWithTimeLevelThreadAndMessageFromConcurrentWriters) {
    ASSERT_TRUE(ORV::utility::InitLog(ORV::g_log, L"OrvService.log", 4));
    EXPECT_EQ(orvsim::LogFilePath(), logDirectory_ / "OrvService.log");
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    std::vector<std::thread> writers;
    std::vector<DWORD> ids(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t, &ids] {
            ids[t] = GetCurrentThreadId();
            for (int i = 0; i < kLines; ++i) {
                ORV::g_log.d(L"%s: writer %d line %d", L"Concurrency", t, i);
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    ORV::g_log.e(L"%s: Exception, %s", L"OrvClientService::Cleanup", L"größer");

    const auto lines = ReadLines(logDirectory_ / "OrvService.log");
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines + 1));
    const std::regex layout(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[(\w+)\] \[(\d+)\] (.*))");
    const std::regex written(R"(Concurrency: writer (\d) line \d+)");
    std::smatch match, message;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        ASSERT_TRUE(std::regex_match(lines[i], match, layout)) << lines[i];
        EXPECT_EQ(match[1], "debug");
        const std::string text = match[3];
        ASSERT_TRUE(std::regex_match(text, message, written)) << lines[i];
        EXPECT_EQ(match[2], std::to_string(ids[std::stoi(message[1])]));
    }
    ASSERT_TRUE(std::regex_match(lines.back(), match, layout)) << lines.back();
    EXPECT_EQ(match[1], "error");
    EXPECT_EQ(match[3], "OrvClientService::Cleanup: Exception, größer");
    // The records in memory keep the level, the format and the writing thread as well.
    const auto records = orvsim::LogRecords();
    ASSERT_EQ(records.size(), lines.size());
    EXPECT_EQ(records.back().level, ORV::Log::kError);
    EXPECT_EQ(records.back().format, L"%s: Exception, %s");
    EXPECT_EQ(records.back().threadId, GetCurrentThreadId());
    EXPECT_NE(records.front().threadId, GetCurrentThreadId());  // one of the writers
}

TEST_F(LogTest, ReopeningAppendsTheLevelFiltersAndAnUnopenableFileLeavesTheLogUsable) {
    ASSERT_TRUE(ORV::utility::InitLog(ORV::g_log, L"OrvService.log", 4));
    ORV::g_log.d(L"first");
    ASSERT_TRUE(ORV::utility::InitLog(ORV::g_log, L"OrvService.log", ORV::Log::kError));
    ORV::g_log.d(L"filtered debug");
    ORV::g_log.w(L"filtered warning");
    ORV::g_log.e(L"kept error");
    ASSERT_TRUE(ORV::utility::InitLog(ORV::g_log, L"OrvService.log", 4));

    const auto lines = ReadLines(logDirectory_ / "OrvService.log");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_THAT(lines[0], HasSubstr("first"));
    EXPECT_THAT(lines[1], HasSubstr("kept error"));
    EXPECT_FALSE(orvsim::HasLogMessage(L"filtered debug"));

    // A directory where the file should be cannot be opened as a file.
    std::filesystem::create_directories(logDirectory_ / "taken.log");
    EXPECT_FALSE(ORV::utility::InitLog(ORV::g_log, L"taken.log", 4));
    EXPECT_FALSE(ORV::utility::InitLog(ORV::g_log, L"", 4));
    ORV::g_log.d(L"still logged");
    EXPECT_TRUE(orvsim::HasLogMessage(L"still logged"));
}

}  // namespace
