#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "sim/trace.h"
#include "test_support.h"
#include "winapi/windows_api.h"

namespace {

using ::testing::ElementsAre;

class TraceTest : public orvtest::CommonBaseFixture {};

TEST_F(TraceTest, RecordsCallsInOrderWithTheirArgumentsAndThread) {
    orvsim::TraceCall("ORV::CRegUtil", "GetRegValueOfDwordType", HKEY_LOCAL_MACHINE,
                      std::wstring(L"SYSTEM\\Start"), 2u);
    orvsim::TraceCall("AgentInitializer", "InitializeAllAgents", true, -1, L"Grüße");
    int object = 0;
    orvsim::TraceCall("AgentInitializer", "o", static_cast<const wchar_t*>(nullptr),
                      static_cast<void*>(nullptr), static_cast<void*>(&object));

    const auto entries = orvsim::TraceSnapshot();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].component, "ORV::CRegUtil");
    EXPECT_EQ(entries[0].operation, "GetRegValueOfDwordType");
    EXPECT_THAT(entries[0].arguments, ElementsAre("HKEY_LOCAL_MACHINE", "SYSTEM\\Start", "2"));
    EXPECT_THAT(entries[1].arguments, ElementsAre("true", "-1", "Grüße"));
    EXPECT_LT(entries[0].sequence, entries[1].sequence);
    EXPECT_EQ(entries[0].threadId, GetCurrentThreadId());
    EXPECT_EQ(orvsim::FormatTraceEntry(entries[1]),
              "[" + std::to_string(entries[1].sequence) + "] " +
                  std::to_string(GetCurrentThreadId()) +
                  " AgentInitializer::InitializeAllAgents(true, -1, Grüße)");
    EXPECT_THAT(entries[2].arguments, ElementsAre("null", "null", ::testing::StartsWith("0x")));

    EXPECT_EQ(orvsim::TraceCount("AgentInitializer"), 2u);
    EXPECT_EQ(orvsim::TraceCount("AgentInitializer", "o"), 1u);
    EXPECT_EQ(orvsim::TraceOf("ORV::CRegUtil").at(0).operation, "GetRegValueOfDwordType");
    EXPECT_EQ(orvsim::TraceCount("C"), 0u);
}

TEST_F(TraceTest, AnArrangedPauseHoldsTheNextMatchingCallOnceWhileOthersTrace) {
    orvsim::ArrangePause("cleared", "call", [] { ADD_FAILURE() << "cleared pauses never run"; });
    orvsim::ClearArrangedPauses();
    std::uint32_t pausedThread = 0;
    orvsim::ArrangePause("held", "call", [] { ADD_FAILURE() << "replaced by the next one"; });
    orvsim::ArrangePause("held", "call", [&pausedThread] {
        pausedThread = GetCurrentThreadId();
        EXPECT_EQ(orvsim::TraceCount("held", "call"), 1U) << "recorded before the pause";
        // Outside the trace's lock: another thread's call is recorded meanwhile.
        std::thread other([] { orvsim::TraceCall("other", "call"); });
        other.join();
    });

    orvsim::TraceCall("cleared", "call");
    orvsim::TraceCall("held", "call");
    orvsim::TraceCall("held", "call");  // taken once: no pause now
    EXPECT_EQ(pausedThread, GetCurrentThreadId());
    std::vector<std::string> calls;
    for (const orvsim::TraceEntry& entry : orvsim::TraceSnapshot()) {
        calls.push_back(entry.component);
    }
    EXPECT_THAT(calls, ElementsAre("cleared", "held", "other", "held"));
}

}  // namespace
