// Version's operators: each maps onto exactly one call of Equals or CompareTo.

#include <gtest/gtest.h>

#include <functional>
#include <type_traits>
#include <utility>

#include "shared/version.h"
#include "sim/trace.h"

// These tests look at moved-from objects on purpose.
// NOLINTBEGIN(bugprone-use-after-move)
namespace {

static_assert(std::is_trivially_copyable_v<Version>);
static_assert(sizeof(Version) == 16);

class VersionTest : public ::testing::Test {
  protected:
    // The operator's result, and how many calls of Equals and of CompareTo it made.
    static std::tuple<bool, std::size_t, std::size_t> Measure(const std::function<bool()>& op) {
        orvsim::ClearTrace();
        const bool result = op();
        return {result, orvsim::TraceCount("Version", "Equals"),
                orvsim::TraceCount("Version", "CompareTo")};
    }
};

TEST_F(VersionTest, EachOperatorMakesExactlyOneCall) {
    Version a(10, 2, 345, 6);
    Version b(10, 2, 345, 6);
    using R = std::tuple<bool, std::size_t, std::size_t>;
    EXPECT_EQ(Measure([&] { return a.operator==(b); }), R(true, 1, 0));
    EXPECT_EQ(Measure([&] { return a.operator!=(b); }), R(false, 1, 0));
    EXPECT_EQ(Measure([&] { return a.operator<(b); }), R(false, 0, 1));
    EXPECT_EQ(Measure([&] { return a.operator<=(b); }), R(true, 0, 1));
    EXPECT_EQ(Measure([&] { return a.operator>(b); }), R(false, 0, 1));
    EXPECT_EQ(Measure([&] { return a.operator>=(b); }), R(true, 0, 1));

    Version higher(10, 3, 0, 0);
    EXPECT_EQ(Measure([&] { return a.operator<(higher); }), R(true, 0, 1));
    EXPECT_EQ(Measure([&] { return higher.operator>=(a); }), R(true, 0, 1));
    EXPECT_EQ(Measure([&] { return a.operator!=(higher); }), R(true, 1, 0));
}

TEST_F(VersionTest, AssignmentsCopyAndLeaveTheSourceUnchanged) {
    Version source(1, 2, 3, 4);
    Version target;
    target = std::move(source);  // NOLINT(performance-move-const-arg): the move assignment
    EXPECT_EQ(source.GetMajor(), 1);
    EXPECT_EQ(source.GetRevision(), 4);
    Version copy;
    copy = target;
    EXPECT_EQ(copy.GetMinor(), 2);
    EXPECT_EQ(copy.GetBuild(), 3);
}

}  // namespace
// NOLINTEND(bugprone-use-after-move)
