#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <json/value.h>

#include <memory>
#include <regex>
#include <stdexcept>
#include <thread>

#include "platform/common_base/common_base.h"
#include "shared/core_utility.h"
#include "sim/common_base/control.h"
#include "sim/common_base/sha256.h"
#include "test_support.h"
#include "winapi/sim/clock.h"
#include "winapi/sim/registry.h"

namespace {

class EnvironmentTest : public orvtest::CommonBaseFixture {};

TEST_F(EnvironmentTest, SecurityAttributesAreUsableAndFreedOnce) {
    SECURITY_ATTRIBUTES attributes{};
    ASSERT_TRUE(InitializeSecurityAttributes(attributes, false));
    EXPECT_NE(attributes.lpSecurityDescriptor, nullptr);
    EXPECT_EQ(orvsim::OutstandingSecurityDescriptors(), 1);
    FreeSecurityAttribute(attributes);
    FreeSecurityAttribute(attributes);
    EXPECT_EQ(attributes.lpSecurityDescriptor, nullptr);
    EXPECT_EQ(orvsim::OutstandingSecurityDescriptors(), 0);

    orvsim::ArrangeSecurityAttributesFailure(true);
    EXPECT_FALSE(InitializeSecurityAttributes(attributes, false));
    FreeSecurityAttribute(attributes);  // harmless after a failure
    EXPECT_EQ(orvsim::OutstandingSecurityDescriptors(), 0);
}

TEST_F(EnvironmentTest, StringsConvertAndCompareIgnoringCase) {
    EXPECT_EQ(ORV::String::UTF8ToUTF16("Grüße 😀"), L"Grüße 😀");
    EXPECT_EQ(ORV::String::UTF16ToUTF8(L"Grüße 😀"), "Grüße 😀");
    // Invalid input becomes U+FFFD instead of failing.
    EXPECT_EQ(ORV::String::UTF8ToUTF16("a\xff"
                                       "b"),
              L"a\uFFFDb");

    EXPECT_TRUE(ORV::String::CaseInsesitiveEqual(L"QUELRO", L"Quelro"));
    EXPECT_FALSE(ORV::String::CaseInsesitiveEqual(L"Quelro ", L"Quelro"));
    EXPECT_FALSE(ORV::String::CaseInsesitiveEqual(L"Quelra", L"Quelro"));
}

TEST_F(EnvironmentTest, TimeTextFollowsTheMachineClock) {
    winsim::clock::SetWallClock(std::chrono::system_clock::time_point(
        std::chrono::milliseconds(1714564800123)));  // 2024-05-01T12:00:00.123Z
    EXPECT_TRUE(std::regex_match(ORV::String::UTF16ToUTF8(ORV::System::GetTime()),
                                 std::regex(R"(2024-05-01T12:00:00\.\d{3}Z)")));
}

TEST_F(EnvironmentTest, ComInitEndsWhatItStarted) {
    {
        ORV::ComInit first(false);
        EXPECT_TRUE(first.isOK());
        EXPECT_EQ(first._hResInit, S_OK);
        ORV::ComInit again(false);
        EXPECT_EQ(again._hResInit, S_FALSE);
        EXPECT_TRUE(again.isOK());
        ORV::ComInit otherMode(true);
        EXPECT_FALSE(otherMode.isOK());
    }
    // Both successful initializations were balanced, so a new apartment can be chosen.
    ORV::ComInit fresh(true);
    EXPECT_EQ(fresh._hResInit, S_OK);
}

TEST_F(EnvironmentTest, AComInitWhoseConstructionThrowsLeavesComBalanced) {
    orvsim::ArrangeThrow("ORV::ComInit", "ComInit", orvsim::ArrangedException::kRuntimeError);
    std::thread([] {
        EXPECT_THROW(ORV::ComInit(true), std::runtime_error);
        // A thread with no initialisation left over gets S_OK, not S_FALSE.
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        CoUninitialize();
    }).join();
}

TEST_F(EnvironmentTest, GarbageCollectorReclaimsOnlyFinishedThreads) {
    HANDLE finished = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    HANDLE running = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto* collector = ORV::ThreadGarbageCollector::GetInstance();
    collector->AddThread(finished);
    collector->AddThread(running);
    collector->CleanUp();
    EXPECT_THAT(orvsim::TraceOf("ORV::ThreadGarbageCollector", "CleanUp").back().arguments,
                ::testing::ElementsAre("1", "1"));
    SetEvent(running);
    collector->CleanUp();
    EXPECT_THAT(orvsim::TraceOf("ORV::ThreadGarbageCollector", "CleanUp").back().arguments,
                ::testing::ElementsAre("1", "0"));
}

TEST_F(EnvironmentTest, RealmComesFromTheRegistryAndTagsOperationalEvents) {
    std::wstring realm = L"stale";
    auto provider = ORV::EpUrlProvider::GetInstance();
    EXPECT_FALSE(provider->GetRealm(realm));
    EXPECT_TRUE(realm.empty());
    winsim::registry::SetString(orvsim::kRealmKeyPath, orvsim::kRealmValueName, L"contoso");
    ASSERT_TRUE(provider->GetRealm(realm));
    EXPECT_EQ(realm, L"contoso");

    auto& manager = ORV::OperationalEventsManager::GetInstance();
    manager.SetORVRealm(realm);
    Json::Value context(Json::objectValue);
    context["context"] = "Service";
    manager.HandleEvent(static_cast<ORV::OperationalEventType>(1),
                        static_cast<ORV::OperationalEventLevel>(2), "2024-05-01T12:00:00.000Z",
                        context);
    const auto events = orvsim::OperationalEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].eventType, 1);
    EXPECT_EQ(events[0].realm, "contoso");
    EXPECT_EQ(events[0].data["context"].asString(), "Service");

    // A host that runs for long keeps only the newest events.
    for (int i = 0; i < 1000; ++i) {
        manager.HandleEvent(static_cast<ORV::OperationalEventType>(2),
                            static_cast<ORV::OperationalEventLevel>(2), std::to_string(i), context);
    }
    const auto kept = orvsim::OperationalEvents();
    ASSERT_EQ(kept.size(), 1000u);
    EXPECT_EQ(kept.front().timestamp, "0");
    EXPECT_EQ(kept.back().timestamp, "999");
}

TEST_F(EnvironmentTest, FactoryReleaseDropsItsReferences) {
    std::shared_ptr<IDownloadAgent> download(DownloadAgent::GetInstance());
    std::weak_ptr<IDownloadAgent> watch = download;
    orv::AgentFactory* factory = orv::AgentFactory::GetInstance();
    factory->SetDownloadAgent(download);
    EXPECT_EQ(factory->GetDownloadAgent(), download);

    download.reset();
    EXPECT_FALSE(watch.expired());  // the factory still holds it
    orv::AgentFactory::ReleaseInstance();
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(orv::AgentFactory::GetInstance()->GetDownloadAgent(), nullptr);
    orv::AgentFactory::ReleaseInstance();
}

class CoreUtilityTest : public orvtest::CommonBaseFixture {};

TEST_F(CoreUtilityTest, HashesMatchTheStandardVectorsAndSignaturesOnlyTheirOwnData) {
    EXPECT_EQ(
        orvsim::ToHex(orvsim::Sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
        "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(orvsim::ToHex(orvsim::Sha256("")),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    // RFC 4231, test case 2.
    EXPECT_EQ(orvsim::ToHex(orvsim::HmacSha256("Jefe", "what do ya want for nothing?")),
              "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");

    ORV::CoreUtility utility;
    std::string hash;
    EXPECT_EQ(utility.CreateSHA256Hash(hash, "abc"), 0ul);
    EXPECT_EQ(hash, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const std::string signature = utility.GetSignature("payload");
    EXPECT_TRUE(utility.VerifySignature("payload", signature));
    EXPECT_FALSE(utility.VerifySignature("payload!", signature));
}

TEST_F(CoreUtilityTest, IdentityAndUrlsComeFromTheRegistry) {
    ORV::CoreUtility utility;
    EXPECT_FALSE(utility.IsDeviceRegistered());
    winsim::registry::SetString(L"Software\\Quelro\\ORV", L"DeviceId", L"dev-1");
    EXPECT_TRUE(utility.IsDeviceRegistered());
    EXPECT_EQ(utility.GetDeviceID(), L"dev-1");

    const std::wstring mtls = utility.ConstructUrlWithMtlsBaseUri(L"v1/devices");
    EXPECT_EQ(mtls, L"https://mtls.orv.example/v1/devices");
    EXPECT_EQ(utility.ConstructUrlWithBaseUriFromMtls(mtls), L"https://orv.example/v1/devices");
    std::wstring url = L"https://orv.example/v1/devices?x=1";
    EXPECT_EQ(utility.ExtractEpFromUrl(url), L"/v1/devices");
}

}  // namespace
