// COM apartments per thread and the one-time process security.

#include <gtest/gtest.h>

#include <thread>

#include "contract_platform.h"
#include "winapi/windows_api.h"

namespace {

class ComTest : public ::testing::Test {
  protected:
    void SetUp() override { contract::FreshMachine(); }

    static HRESULT InitSecurity() {
        return CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_CONNECT,
                                    RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    }
};

TEST_F(ComTest, RepeatIsSFalseAndAnotherApartmentIsChangedMode) {
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);

    std::thread other([] {
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK)
            << "apartments are per thread";
        CoUninitialize();
    });
    other.join();

    // Two successes need two CoUninitialize calls before the thread may change apartment.
    CoUninitialize();
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);
    CoUninitialize();
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    CoUninitialize();
}

TEST_F(ComTest, ReservedArgumentMustBeNullAndSecurityIsInitialisedOncePerProcess) {
    SKIP_UNDER_WINE(
        "Wine's CoInitializeSecurity is a stub that always succeeds, and Wine ignores the "
        "reserved pointer of CoInitializeEx for the sake of old applications");
    EXPECT_EQ(InitSecurity(), CO_E_NOTINITIALIZED);
    int reserved = 0;
    EXPECT_EQ(CoInitializeEx(&reserved, COINIT_MULTITHREADED), E_INVALIDARG);
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK)
        << "the refused call counted for nothing";
    EXPECT_EQ(InitSecurity(), S_OK);
    EXPECT_EQ(InitSecurity(), RPC_E_TOO_LATE);
    std::thread other([] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        EXPECT_EQ(InitSecurity(), RPC_E_TOO_LATE);
        CoUninitialize();
    });
    other.join();
    CoUninitialize();
}

}  // namespace
