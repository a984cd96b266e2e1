// The resource-owning wrappers and helper types: EccEncryption's single deletion, the
// utility interfaces' assignments, the device-information defaults, the telemetry command
// handler's slots, the named-pipe endpoints' copies and ComInit's assignment.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <utility>

#include "platform/core/core_api.h"
#include "shared/com_init.h"
#include "shared/core_utility.h"
#include "shared/device_info_provider.h"
#include "shared/ecc_encryption.h"
#include "shared/named_pipe.h"
#include "shared/persona_utility.h"
#include "shared/send_telemetry_command_handler.h"
#include "sim/trace.h"
#include "test_peer.h"

namespace ORV {
// The tests only pass the parameter record around; its fields are the command's business.
struct SendTelemetryCommandParams {
    int calls = 0;
};
}  // namespace ORV

namespace {

using Peer = SharedTypesTestPeer;

class HelpersTest : public ::testing::Test {
  protected:
    void SetUp() override { orvsim::ClearTrace(); }

    // How often ORVCore::ECCrypt_Delete was called with this object.
    static std::size_t Deletions(const ORVCore::IECCrypt* crypt) {
        const std::string address = orvsim::TraceText(static_cast<const void*>(crypt));
        std::size_t count = 0;
        for (const orvsim::TraceEntry& entry : orvsim::TraceSnapshot()) {
            if (entry.operation == "ECCrypt_Delete" && !entry.arguments.empty() &&
                entry.arguments.front() == address) {
                ++count;
            }
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
        EXPECT_EQ(moved.get(), first);

        EccEncryption& alias = moved;
        moved = std::move(alias);  // keeps its object alive
        EXPECT_EQ(moved.get(), first);
        EXPECT_EQ(Deletions(first), 0u);

        EccEncryption replacement(second);
        moved = std::move(replacement);  // the old object goes now, the new one stays
        EXPECT_EQ(moved.get(), second);
        EXPECT_EQ(replacement.get(), nullptr);
        EXPECT_EQ(Deletions(first), 1u);
        EXPECT_EQ(Deletions(second), 0u);
    }
    EXPECT_EQ(Deletions(first), 1u);
    EXPECT_EQ(Deletions(second), 1u);
    EXPECT_EQ(orvsim::TraceCount("ORVCore", "ECCrypt_Delete") +
                  orvsim::TraceCount("orvcore", "ECCrypt_Delete"),
              2u);
}

TEST_F(HelpersTest, EmptyEccEncryptionDeletesNothing) {
    { EccEncryption empty; }
    {
        EccEncryption source(new ORVCore::IECCrypt());
        EccEncryption target(std::move(source));
    }
    std::size_t deletions = 0;
    for (const orvsim::TraceEntry& entry : orvsim::TraceSnapshot()) {
        deletions += entry.operation == "ECCrypt_Delete" ? 1 : 0;
    }
    EXPECT_EQ(deletions, 1u);
}

// A utility whose slot answers from its own state, to see which virtual table an object
// keeps after assignment.
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

    // Plain objects reach the common base library's behaviour through this library's table.
    ORV::CoreUtility plain;
    ORV::CoreUtility other;
    plain = other;
    ORV::CoreUtility copied(plain);
    ORV::CoreUtility* slots = &copied;
    slots->GetDeviceID();
    slots->IsDeviceRegistered();
    EXPECT_EQ(orvsim::TraceCount("ORV::CoreUtility", "GetDeviceID"), 1u);
    EXPECT_EQ(orvsim::TraceCount("ORV::CoreUtility", "IsDeviceRegistered"), 1u);

    orv::PersonaUtility personaA;
    orv::PersonaUtility personaB(personaA);
    personaB = personaA;
    personaB = std::move(personaA);
    orv::PersonaUtility* persona = &personaB;
    EXPECT_EQ(persona->IsGamer(), orv::PersonaUtility().IsGamer());
}

TEST_F(HelpersTest, DeviceInfoProviderStartsUnknownAndEmpty) {
    const ORV::DeviceInfoProvider provider;
    EXPECT_EQ(Peer::Architecture(provider), 65535u);
    for (const std::wstring* code : Peer::OwnModelCodes(provider)) {
        EXPECT_EQ(code->size(), 4u);
    }
    for (const std::wstring* text : Peer::FurtherStrings(provider)) {
        EXPECT_TRUE(text->empty());
    }
    EXPECT_TRUE(Peer::PlatformValuesNull(provider));
    EXPECT_FALSE(Peer::ForceRefresh(provider));
}

TEST_F(HelpersTest, TelemetryHandlerSlotsReplaceIndependently) {
    ORV::SendTelemetryCommandHandler handler;
    auto firstState = std::make_shared<int>(0);
    std::weak_ptr<int> firstAlive = firstState;
    int secondCalls = 0;
    int duplicateCalls = 0;

    handler.RegisterRecollectTelemetryHandler(
        [state = std::move(firstState)](ORV::SendTelemetryCommandParams&) { ++*state; });
    handler.RegisterDuplicateTelemetryHandler(
        [&duplicateCalls](ORV::SendTelemetryCommandParams&) { ++duplicateCalls; });
    EXPECT_FALSE(firstAlive.expired());

    handler.RegisterRecollectTelemetryHandler(
        [&secondCalls](ORV::SendTelemetryCommandParams&) { ++secondCalls; });
    EXPECT_TRUE(firstAlive.expired());  // the first callback was destroyed

    ORV::SendTelemetryCommandParams params;
    handler.recollectHandler()(params);
    handler.duplicateHandler()(params);
    EXPECT_EQ(secondCalls, 1);
    EXPECT_EQ(duplicateCalls, 1);

    ORV::SendTelemetryCommandHandler copy(handler);
    ORV::SendTelemetryCommandHandler moved(std::move(handler));
    EXPECT_FALSE(handler.recollectHandler());
    EXPECT_FALSE(handler.duplicateHandler());
    copy.recollectHandler()(params);
    moved.recollectHandler()(params);
    EXPECT_EQ(secondCalls, 3);

    moved.RegisterDuplicateTelemetryHandler(nullptr);
    EXPECT_FALSE(moved.duplicateHandler());
    EXPECT_TRUE(moved.recollectHandler());
}

TEST_F(HelpersTest, TelemetryCooldownIsFiveMinutes) {
    using ORV::SendTelemetryCommandHandler;
    EXPECT_EQ(SendTelemetryCommandHandler::cooldown_.count(), 5);
    EXPECT_EQ(
        std::chrono::duration_cast<std::chrono::seconds>(SendTelemetryCommandHandler::cooldown_)
            .count(),
        300);
    static_assert(sizeof(SendTelemetryCommandHandler::cooldown_.count()) == 4);
}

TEST_F(HelpersTest, NamedPipeCopiesCloneCallablesAndKeepQueueOrder) {
    CNamedPipeServer empty;
    CNamedPipeServer emptyCopy(empty);
    EXPECT_FALSE(Peer::RequestHandler(emptyCopy));
    EXPECT_FALSE(Peer::ConnectionHandler(emptyCopy));

    CNamedPipeServer server;
    Peer::PipeName(server) = L"\\\\.\\pipe\\orv-user-session";
    int served = 0;
    Peer::RequestHandler(server) = [served](const std::wstring& request) mutable {
        return request + L":" + std::to_wstring(++served);
    };
    CNamedPipeServer clone(server);
    EXPECT_EQ(Peer::RequestHandler(server)(L"a"), L"a:1");
    EXPECT_EQ(Peer::RequestHandler(server)(L"a"), L"a:2");
    EXPECT_EQ(Peer::RequestHandler(clone)(L"b"), L"b:1");  // its own copy of the function
    EXPECT_FALSE(Peer::ConnectionHandler(clone));
    EXPECT_EQ(Peer::PipeName(clone), Peer::PipeName(server));

    emptyCopy = server;
    EXPECT_EQ(Peer::RequestHandler(emptyCopy)(L"c"), L"c:3");
    CNamedPipeServer& alias = server;
    server = alias;
    EXPECT_EQ(Peer::RequestHandler(server)(L"d"), L"d:3");

    CNamedPipeClient client;
    Peer::Outgoing(client) = {L"first", L"second", L"third"};
    CNamedPipeClient clientCopy(client);
    CNamedPipeClient clientAssigned;
    Peer::Outgoing(clientAssigned) = {L"stale"};
    clientAssigned = client;
    EXPECT_EQ(Peer::Outgoing(clientCopy), Peer::Outgoing(client));
    EXPECT_EQ(Peer::Outgoing(clientAssigned),
              (std::deque<std::wstring>{L"first", L"second", L"third"}));
}

TEST_F(HelpersTest, ComInitAssignmentCopiesTheResultOnly) {
    ORV::ComInit first;
    ORV::ComInit second(true);
    second._hResInit = -2147417850;  // RPC_E_CHANGED_MODE
    first = second;
    EXPECT_EQ(first._hResInit, -2147417850);
}

}  // namespace
