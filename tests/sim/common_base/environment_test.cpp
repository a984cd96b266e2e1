#include <gtest/gtest.h>

#include <json/value.h>

#include <memory>
#include <regex>
#include <stdexcept>
#include <thread>

#include "platform/common_base/common_base.h"
#include "shared/core_utility.h"
#include "sim/common_base/common_base_control.h"
#include "sim/common_base/sha256.h"
#include "test_support.h"
#include "winapi/control/clock.h"

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

TEST_F(EnvironmentTest, StringsConvertLosslesslyAndTimeTextFollowsTheMachineClock) {
    EXPECT_EQ(ORV::String::UTF8ToUTF16("Grüße 😀"), L"Grüße 😀");
    EXPECT_EQ(ORV::String::UTF16ToUTF8(L"Grüße 😀"), "Grüße 😀");
    // Invalid input becomes U+FFFD instead of failing.
    EXPECT_EQ(ORV::String::UTF8ToUTF16("a\xff"
                                       "b"),
              L"a\uFFFDb");

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

    // A construction that throws leaves nothing to balance: a fresh thread gets S_OK.
    orvsim::ArrangeThrow("ORV::ComInit", "ComInit", orvsim::ArrangedException::kRuntimeError);
    std::thread([] {
        EXPECT_THROW(ORV::ComInit(true), std::runtime_error);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        CoUninitialize();
    }).join();
}

// The realm read from the registry and handed on runs end to end in the start-up tests.
TEST_F(EnvironmentTest, NoRealmClearsTheTextAndOperationalEventsKeepOnlyTheNewest) {
    std::wstring realm = L"stale";
    EXPECT_FALSE(ORV::EpUrlProvider::GetInstance()->GetRealm(realm));
    EXPECT_TRUE(realm.empty());

    // A host that runs for long keeps only the newest events.
    auto& manager = ORV::OperationalEventsManager::GetInstance();
    Json::Value context(Json::objectValue);
    for (int i = 0; i < 1001; ++i) {
        manager.HandleEvent(static_cast<ORV::OperationalEventType>(2),
                            static_cast<ORV::OperationalEventLevel>(2), std::to_string(i), context);
    }
    const auto kept = orvsim::OperationalEvents();
    ASSERT_EQ(kept.size(), 1000u);
    EXPECT_EQ(kept.front().timestamp, "1");
    EXPECT_EQ(kept.back().timestamp, "1000");
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

// The token checks rest on these: a hand-written hash is checked against published vectors.
TEST_F(EnvironmentTest, HashesMatchTheStandardVectorsAndSignaturesOnlyTheirOwnData) {
    EXPECT_EQ(
        orvsim::ToHex(orvsim::Sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
        "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(orvsim::ToHex(orvsim::Sha256("")),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    // RFC 4231, test case 2.
    EXPECT_EQ(orvsim::ToHex(orvsim::HmacSha256("Jefe", "what do ya want for nothing?")),
              "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");

    ORV::CoreUtility utility;
    const std::string signature = utility.GetSignature("payload");
    EXPECT_TRUE(utility.VerifySignature("payload", signature));
    EXPECT_FALSE(utility.VerifySignature("payload!", signature));
}

}  // namespace
