#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <spdlog/sinks/ostream_sink.h>

#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/common_base/log.h"
#include "sim/common_base/log_control.h"
#include "test_support.h"
#include "winapi/windows_api.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class LogTest : public orvtest::CommonBaseFixture {
  protected:
    static orvsim::LogRecord Last() {
        auto records = orvsim::LogRecords();
        EXPECT_FALSE(records.empty());
        return records.empty() ? orvsim::LogRecord{} : records.back();
    }
};

TEST_F(LogTest, RendersTheServiceFormatsWithWideStringsAndFixedWidthNumbers) {
    const std::wstring version = L"10.2.3";
    ORV::g_log.d(L"%s: Service is starting. ORV version is %s", L"OrvClientService::OnStart",
                 version);
    EXPECT_EQ(Last().message,
              L"OrvClientService::OnStart: Service is starting. ORV version is 10.2.3");

    // A DWORD above INT_MAX must not come out negative, whatever the width of long.
    const DWORD threadId = 4000000000u;
    ORV::g_log.e(L"%s: [TID:%lu]  Bad array error caught on starting orv service. %s",
                 L"OrvClientService::OnStart", threadId, std::wstring(L"bad array new length"));
    EXPECT_EQ(Last().message,
              L"OrvClientService::OnStart: [TID:4000000000]  Bad array error caught on "
              L"starting orv service. bad array new length");

    const HRESULT unexpected = static_cast<HRESULT>(0x8000FFFFu);
    ORV::g_log.e(
        L"%s: Either CoInitializeEx did not called or failed with %d. Avoid calling "
        L"CoUninitialize",
        L"OrvClientService::Cleanup", unexpected);
    EXPECT_THAT(Last().message, HasSubstr(L"failed with -2147418113. Avoid"));

    const unsigned long long oldSeconds = 1000;
    const unsigned long long newSeconds = 17179869184ull;  // needs more than 32 bits
    ORV::g_log.d(L"%s: Windows OS Timechange event received. old secs=%llu new secs=%llu",
                 L"OrvClientService::OnServiceControlHandle", oldSeconds, newSeconds);
    EXPECT_EQ(Last().message,
              L"OrvClientService::OnServiceControlHandle: Windows OS Timechange event "
              L"received. old secs=1000 new secs=17179869184");

    ORV::g_log.d(L"%s:Received orv policy change event", L"OrvClientService::OnORVNotification");
    EXPECT_EQ(Last().message,
              L"OrvClientService::OnORVNotification:Received orv policy change event");

    ORV::g_log.d(L"%s Wait timeout completed", L"OnStop");
    EXPECT_EQ(Last().message, L"OnStop Wait timeout completed");
}

TEST_F(LogTest, PassesHandlesAndEnumerationsAsNumbers) {
    HANDLE handle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(42));
    ORV::g_log.d(L"%s: Callback received %d", L"OrvClientService::EventLogCallback", handle);
    EXPECT_EQ(Last().message, L"OrvClientService::EventLogCallback: Callback received 42");

    enum class Kind : int { kThird = 3 };
    ORV::g_log.d(L"%d", Kind::kThird);
    EXPECT_EQ(Last().message, L"3");
}

TEST_F(LogTest, AMismatchedFormatIsWrittenRawAndNeverThrows) {
    EXPECT_NO_THROW(ORV::g_log.e(L"%s: count %d", L"Scope", L"not a number"));
    const auto record = Last();
    EXPECT_EQ(record.level, ORV::Log::kError);
    EXPECT_THAT(record.message, HasSubstr(L"%s: count %d [log format error:"));
    EXPECT_NO_THROW(ORV::g_log.d(L"%s %s", L"only one"));
    EXPECT_NO_THROW(ORV::g_log.d(nullptr));
}

TEST_F(LogTest, KeepsLevelFormatAndWritingThread) {
    ORV::g_log.d(L"%s: debug", L"S");
    ORV::g_log.w(L"%s: warning", L"S");
    DWORD otherThread = 0;
    std::thread([&] {
        otherThread = GetCurrentThreadId();
        ORV::g_log.e(L"%s: error", L"S");
    }).join();

    const auto records = orvsim::LogRecords();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].level, ORV::Log::kDebug);
    EXPECT_EQ(records[1].level, ORV::Log::kWarning);
    EXPECT_EQ(records[2].level, ORV::Log::kError);
    EXPECT_EQ(records[0].format, L"%s: debug");
    EXPECT_EQ(records[0].threadId, GetCurrentThreadId());
    EXPECT_EQ(records[2].threadId, otherThread);
    EXPECT_NE(records[2].threadId, records[0].threadId);
    EXPECT_TRUE(orvsim::HasLogMessage(L"S: warning", ORV::Log::kWarning));
    EXPECT_FALSE(orvsim::HasLogMessage(L"S: warning", ORV::Log::kError));
}

TEST_F(LogTest, InitLogWritesOneLinePerCallWithTimeLevelThreadAndMessage) {
    ASSERT_TRUE(ORV::utility::InitLog(ORV::g_log, L"OrvService.log", 4));
    EXPECT_EQ(orvsim::LogFilePath(), logDirectory_ / "OrvService.log");
    ORV::g_log.d(L"%s: Service is stopping", L"OrvClientService::OnStop");
    ORV::g_log.e(L"%s: Exception, %s", L"OrvClientService::Cleanup", L"größer");

    const auto lines = orvtest::ReadLines(logDirectory_ / "OrvService.log");
    ASSERT_EQ(lines.size(), 2u);
    const std::string tid = std::to_string(GetCurrentThreadId());
    const std::regex layout(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \[(\w+)\] \[(\d+)\] (.*))");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[0], match, layout)) << lines[0];
    EXPECT_EQ(match[1], "debug");
    EXPECT_EQ(match[2], tid);
    EXPECT_EQ(match[3], "OrvClientService::OnStop: Service is stopping");
    ASSERT_TRUE(std::regex_match(lines[1], match, layout)) << lines[1];
    EXPECT_EQ(match[1], "error");
    EXPECT_EQ(match[3], "OrvClientService::Cleanup: Exception, größer");
}

TEST_F(LogTest, ReopeningAppendsAndTheLevelFilters) {
    ASSERT_TRUE(ORV::utility::InitLog(ORV::g_log, L"OrvService.log", 4));
    ORV::g_log.d(L"first");
    ASSERT_TRUE(ORV::utility::InitLog(ORV::g_log, L"OrvService.log", ORV::Log::kError));
    ORV::g_log.d(L"filtered debug");
    ORV::g_log.w(L"filtered warning");
    ORV::g_log.e(L"kept error");
    ASSERT_TRUE(ORV::utility::InitLog(ORV::g_log, L"OrvService.log", 4));

    const auto lines = orvtest::ReadLines(logDirectory_ / "OrvService.log");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_THAT(lines[0], HasSubstr("first"));
    EXPECT_THAT(lines[1], HasSubstr("kept error"));
    EXPECT_FALSE(orvsim::HasLogMessage(L"filtered debug"));
}

TEST_F(LogTest, AnUnopenableFileFailsButTheLogStaysUsable) {
    std::filesystem::create_directories(logDirectory_);
    // A directory where the file should be cannot be opened as a file.
    std::filesystem::create_directories(logDirectory_ / "taken.log");
    EXPECT_FALSE(ORV::utility::InitLog(ORV::g_log, L"taken.log", 4));
    EXPECT_FALSE(ORV::utility::InitLog(ORV::g_log, L"", 4));
    ORV::g_log.d(L"still logged");
    EXPECT_TRUE(orvsim::HasLogMessage(L"still logged"));
}

TEST_F(LogTest, ConcurrentWritersProduceWholeLinesInTheFileAndMemory) {
    ASSERT_TRUE(ORV::utility::InitLog(ORV::g_log, L"concurrent.log", 4));
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t] {
            for (int i = 0; i < kLines; ++i) {
                ORV::g_log.d(L"%s: writer %d line %d", L"Concurrency", t, i);
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    const auto lines = orvtest::ReadLines(logDirectory_ / "concurrent.log");
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines));
    const std::regex whole(R"(.*\] Concurrency: writer \d line \d+$)");
    for (const auto& line : lines) {
        EXPECT_TRUE(std::regex_match(line, whole)) << line;
    }
    EXPECT_EQ(orvsim::LogRecords().size(), static_cast<std::size_t>(kThreads * kLines));
}

TEST_F(LogTest, ExtraSinksReceiveLinesUntilRemoved) {
    std::ostringstream terminal;
    auto sink = std::make_shared<spdlog::sinks::ostream_sink_mt>(terminal);
    orvsim::AddLogSink(sink);
    ORV::g_log.w(L"%s: to the terminal", L"Host");
    orvsim::RemoveLogSink(sink);
    ORV::g_log.w(L"%s: not any more", L"Host");
    EXPECT_THAT(terminal.str(), HasSubstr("[warning] [" + std::to_string(GetCurrentThreadId()) +
                                          "] Host: to the terminal"));
    EXPECT_THAT(terminal.str(), ::testing::Not(HasSubstr("not any more")));
}

TEST_F(LogTest, WaitForLogSeesLinesFromOtherThreads) {
    std::thread writer([] {
        Sleep(20);
        ORV::g_log.d(L"%s: late line", L"Writer");
    });
    EXPECT_TRUE(orvsim::WaitForLog(
        [](const orvsim::LogRecord& record) { return record.message == L"Writer: late line"; },
        orvtest::kEventually));
    writer.join();
    EXPECT_THAT(orvsim::LogMessages(), ElementsAre(L"Writer: late line"));
}

}  // namespace
