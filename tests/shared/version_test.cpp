// Version's operators: each maps onto exactly one call of Equals or CompareTo.

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <utility>

#include "shared/version.h"
#include "sim/trace.h"

namespace {

class VersionTest : public ::testing::Test {
  protected:
    void SetUp() override { orvsim::ClearTrace(); }

    struct Calls {
        std::size_t equals;
        std::size_t compareTo;
        bool operator==(const Calls&) const = default;
    };

    // Runs one operator and reports its result together with the calls it made.
    template <class Operator>
    static std::pair<bool, Calls> Measure(Operator op) {
        orvsim::ClearTrace();
        const bool result = op();
        return {result, Calls{orvsim::TraceCount("Version", "Equals"),
                              orvsim::TraceCount("Version", "CompareTo")}};
    }
};

static_assert(std::is_trivially_copyable_v<Version>);
static_assert(sizeof(Version) == 16);

TEST_F(VersionTest, EqualVersionsCompareEqualWithOneCallEach) {
    Version a(10, 2, 345, 6);
    Version b(10, 2, 345, 6);
    const Calls oneEquals{1, 0};
    const Calls oneCompare{0, 1};

    EXPECT_EQ(Measure([&] { return a.operator==(b); }), std::make_pair(true, oneEquals));
    EXPECT_EQ(Measure([&] { return a.operator!=(b); }), std::make_pair(false, oneEquals));
    EXPECT_EQ(Measure([&] { return a.operator<(b); }), std::make_pair(false, oneCompare));
    EXPECT_EQ(Measure([&] { return a.operator<=(b); }), std::make_pair(true, oneCompare));
    EXPECT_EQ(Measure([&] { return a.operator>(b); }), std::make_pair(false, oneCompare));
    EXPECT_EQ(Measure([&] { return a.operator>=(b); }), std::make_pair(true, oneCompare));
}

TEST_F(VersionTest, OrderingFollowsTheSignOfCompareTo) {
    Version lower(10, 2, 345, 6);
    Version higher(10, 3, 0, 0);
    EXPECT_TRUE(lower.operator<(higher));
    EXPECT_TRUE(lower.operator<=(higher));
    EXPECT_FALSE(lower.operator>(higher));
    EXPECT_FALSE(lower.operator>=(higher));
    EXPECT_TRUE(higher.operator>(lower));
    EXPECT_TRUE(higher.operator>=(lower));
    EXPECT_TRUE(lower.operator!=(higher));
    EXPECT_FALSE(lower.operator==(higher));
}

TEST_F(VersionTest, AssignmentsCopyAndLeaveTheSourceUnchanged) {
    Version source(1, 2, 3, 4);
    Version target;
    target = std::move(source);
    EXPECT_EQ(source.GetMajor(), 1);
    EXPECT_EQ(source.GetRevision(), 4);
    EXPECT_EQ(target.GetMinor(), 2);
    EXPECT_EQ(target.GetBuild(), 3);

    Version copy;
    copy = target;
    EXPECT_EQ(copy.GetRevision(), 4);
}

}  // namespace
