// The resource-owning wrapper and the helper types: EccEncryption's single deletion, the
// utility interfaces' assignments and virtual tables, the exported registry path, the
// telemetry command handler's move and Version's operators.

#include <gtest/gtest.h>

#include <cwchar>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/core/core_api.h"
#include "shared/core_utility.h"
#include "shared/ecc_encryption.h"
#include "shared/send_telemetry_command_handler.h"
#include "shared/shared_constants.h"
#include "shared/version.h"
#include "sim/trace.h"

namespace ORV {
struct SendTelemetryCommandParams {};  // the command's record; its fields do not matter here
}  // namespace ORV

// These tests look at moved-from objects on purpose.
// NOLINTBEGIN(bugprone-use-after-move)
namespace {

class HelpersTest : public ::testing::Test {
  protected:
    void SetUp() override { orvsim::ClearTrace(); }

    // How often ORVCore::ECCrypt_Delete was called, with this object or at all.
    static std::size_t Deletions(const ORVCore::IECCrypt* crypt = nullptr) {
        const std::string address = orvsim::TraceText(static_cast<const void*>(crypt));
        std::size_t count = 0;
        for (const orvsim::TraceEntry& entry : orvsim::TraceSnapshot()) {
            count += entry.operation == "ECCrypt_Delete" &&
                     (crypt == nullptr || entry.arguments.at(0) == address);
        }
        return count;
    }
};

TEST_F(HelpersTest, EccEncryptionDeletesEachObjectExactlyOnce) {
    auto* first = new ORVCore::IECCrypt();
    auto* second = new ORVCore::IECCrypt();
    {
        EccEncryption owner(first);
        EccEncryption moved(std::move(owner));
        EXPECT_EQ(owner.get(), nullptr);

        EccEncryption& alias = moved;
        moved = std::move(alias);  // keeps its object alive
        EXPECT_EQ(moved.get(), first);
        EXPECT_EQ(Deletions(), 0u);

        EccEncryption replacement(second);
        moved = std::move(replacement);  // the old object goes now, the new one stays
        EXPECT_EQ(moved.get(), second);
        EXPECT_EQ(replacement.get(), nullptr);
        EXPECT_EQ(Deletions(first), 1u);
        EXPECT_EQ(Deletions(), 1u);
    }
    // The two moved-from owners deleted nothing.
    EXPECT_EQ(Deletions(second), 1u);
    EXPECT_EQ(Deletions(), 2u);
}

// Answers from its own state, to see which virtual table an object keeps after assignment.
class FixedIdUtility final : public ORV::CoreUtility {
  public:
    explicit FixedIdUtility(std::wstring id) : id_(std::move(id)) {}
    std::wstring GetDeviceID() override { return id_; }

  private:
    std::wstring id_;
};

TEST_F(HelpersTest, UtilityAssignmentsChangeNothingAndSlotsStillDispatch) {
    FixedIdUtility left(L"left");
    FixedIdUtility right(L"right");
    ORV::CoreUtility& leftBase = left;
    leftBase = static_cast<const ORV::CoreUtility&>(right);
    leftBase = std::move(static_cast<ORV::CoreUtility&>(right));
    EXPECT_EQ(leftBase.GetDeviceID(), L"left");

    // A plain object reaches the common base library's behaviour through this library's table.
    ORV::CoreUtility plain;
    plain = ORV::CoreUtility();
    ORV::CoreUtility copied(plain);
    ORV::CoreUtility* slots = &copied;
    slots->GetDeviceID();
    slots->IsDeviceRegistered();
    EXPECT_EQ(orvsim::TraceCount("ORV::CoreUtility", "GetDeviceID"), 1u);
    EXPECT_EQ(orvsim::TraceCount("ORV::CoreUtility", "IsDeviceRegistered"), 1u);
}

TEST_F(HelpersTest, ExportedRegistryPathIsTheNullTerminatedOrvPath) {
    // Read straight from the exported array (its size is checked on the symbol itself).
    EXPECT_EQ(std::wcslen(ORV::CoreUtility::kORVRegistryPathW), kOrvRegistryPath.size());
    EXPECT_EQ(std::wstring(ORV::CoreUtility::kORVRegistryPathW), kOrvRegistryPath);
}

TEST_F(HelpersTest, TelemetryHandlerMoveEmptiesTheSourcesSlots) {
    ORV::SendTelemetryCommandHandler handler;
    int recollects = 0;
    int duplicates = 0;
    handler.RegisterRecollectTelemetryHandler(
        [&recollects](ORV::SendTelemetryCommandParams&) { ++recollects; });
    handler.RegisterDuplicateTelemetryHandler(
        [&duplicates](ORV::SendTelemetryCommandParams&) { ++duplicates; });

    ORV::SendTelemetryCommandParams params;
    ORV::SendTelemetryCommandHandler copy(handler);
    ORV::SendTelemetryCommandHandler moved(std::move(handler));
    EXPECT_FALSE(handler.recollectHandler());
    EXPECT_FALSE(handler.duplicateHandler());
    copy.recollectHandler()(params);
    moved.recollectHandler()(params);
    moved.duplicateHandler()(params);
    EXPECT_EQ(recollects, 2);
    EXPECT_EQ(duplicates, 1);
}

static_assert(std::is_trivially_copyable_v<Version>);
static_assert(sizeof(Version) == 16);  // a plain value: copies and moves are the compiler's

// Version's operators each map onto exactly one call of Equals or CompareTo.
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
// NOLINTEND(bugprone-use-after-move)
