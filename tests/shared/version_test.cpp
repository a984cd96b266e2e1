// Version's operators: each maps onto exactly one call of Equals or CompareTo. A plain
// 16-byte value, so copies and moves are the compiler's.

#include <gtest/gtest.h>

#include <functional>
#include <type_traits>

#include "shared/version.h"
#include "sim/trace.h"

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

}  // namespace
