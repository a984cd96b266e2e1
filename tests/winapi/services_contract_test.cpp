// The service control manager as any Win32 implementation must behave: opening services
// by name without regard to case, start type and delayed start as the queries and the
// service's registry key show them, access rights, and the errors of bad handles and
// arguments. Every test installs a service of its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "contract_platform.h"
#include "winapi/windows_api.h"

namespace {

struct CloseService {
    void operator()(SC_HANDLE handle) const { CloseServiceHandle(handle); }
};
using ServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, CloseService>;

// What QueryServiceConfigW reports, copied out of its buffer.
struct Config {
    DWORD type = 0;
    DWORD start = 0;
    DWORD errorControl = 0;
    std::wstring binaryPath;
    std::wstring startName;
    std::wstring displayName;
};

std::wstring Upper(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), std::towupper);
    return text;
}

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), std::towlower);
    return text;
}

BOOL ChangeStartType(SC_HANDLE service, DWORD start) {
    return ChangeServiceConfigW(service, SERVICE_NO_CHANGE, start, SERVICE_NO_CHANGE, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

BOOL ChangeDelayedStart(SC_HANDLE service, BOOL delayed) {
    SERVICE_DELAYED_AUTO_START_INFO info{delayed};
    return ChangeServiceConfig2W(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &info);
}

// The configuration through the size protocol: ask for the size, then fill a buffer of it.
std::optional<Config> QueryConfig(SC_HANDLE service) {
    DWORD needed = 0;
    if (QueryServiceConfigW(service, nullptr, 0, &needed) ||
        GetLastError() != static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER)) {
        ADD_FAILURE() << "size query: error " << GetLastError();
        return std::nullopt;
    }
    std::vector<BYTE> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!QueryServiceConfigW(service, config, needed, &needed)) {
        ADD_FAILURE() << "query: error " << GetLastError();
        return std::nullopt;
    }
    auto text = [](const wchar_t* value) { return std::wstring(value != nullptr ? value : L""); };
    return Config{config->dwServiceType,
                  config->dwStartType,
                  config->dwErrorControl,
                  text(config->lpBinaryPathName),
                  text(config->lpServiceStartName),
                  text(config->lpDisplayName)};
}

// The description through the size protocol; empty when there is none.
std::optional<std::wstring> QueryDescription(SC_HANDLE service) {
    DWORD needed = 0;
    if (QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, nullptr, 0, &needed) ||
        GetLastError() != static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER)) {
        ADD_FAILURE() << "size query: error " << GetLastError();
        return std::nullopt;
    }
    std::vector<BYTE> buffer(needed);
    if (!QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, buffer.data(), needed,
                              &needed)) {
        ADD_FAILURE() << "query: error " << GetLastError();
        return std::nullopt;
    }
    const wchar_t* text = reinterpret_cast<SERVICE_DESCRIPTIONW*>(buffer.data())->lpDescription;
    return std::wstring(text != nullptr ? text : L"");
}

BOOL ChangeDescription(SC_HANDLE service, const wchar_t* text) {
    SERVICE_DESCRIPTIONW info{const_cast<wchar_t*>(text)};
    return ChangeServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, &info);
}

std::optional<bool> QueryDelayedStart(SC_HANDLE service) {
    SERVICE_DELAYED_AUTO_START_INFO info{};
    DWORD needed = 0;
    if (!QueryServiceConfig2W(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO,
                              reinterpret_cast<BYTE*>(&info), sizeof(info), &needed)) {
        ADD_FAILURE() << "query: error " << GetLastError();
        return std::nullopt;
    }
    return info.fDelayedAutostart != FALSE;
}

constexpr const char* kWineHasNoDelayedStart =
    "Wine 8 does not implement SERVICE_CONFIG_DELAYED_AUTO_START_INFO: ChangeServiceConfig2W "
    "and QueryServiceConfig2W fail with ERROR_INVALID_LEVEL";

class ServiceManagerContractTest : public ::testing::Test {
  protected:
    void SetUp() override {
        contract::FreshMachine();
        contract::RemoveTestService(name_);  // left by an earlier process of the same id
        ASSERT_TRUE(contract::InstallTestService(name_)) << "error " << GetLastError();
        installed_ = true;
        manager_.reset(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
        ASSERT_NE(manager_, nullptr) << "error " << GetLastError();
    }
    void TearDown() override {
        manager_.reset();
        if (installed_) {
            EXPECT_TRUE(contract::RemoveTestService(name_)) << "error " << GetLastError();
        }
    }

    ServiceHandle Open(const std::wstring& name, DWORD access) const {
        return ServiceHandle(OpenServiceW(manager_.get(), name.c_str(), access));
    }
    ServiceHandle Open(DWORD access) const { return Open(name_, access); }

    // A value of the service's key, as the service reads it back.
    std::optional<DWORD> RegistryDword(const wchar_t* value) const {
        const std::wstring key = L"SYSTEM\\CurrentControlSet\\Services\\" + name_;
        DWORD data = 0;
        DWORD size = sizeof(data);
        if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), value, RRF_RT_REG_DWORD, nullptr, &data,
                         &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        return data;
    }

    const std::wstring name_ = contract::Unique(L"OrvContractService");
    bool installed_ = false;
    ServiceHandle manager_;
};

TEST_F(ServiceManagerContractTest, OpensServicesByNameWithoutRegardToCase) {
    EXPECT_NE(Open(Upper(name_), SERVICE_QUERY_CONFIG), nullptr);
    EXPECT_NE(Open(Lower(name_), SERVICE_QUERY_CONFIG), nullptr);
    // Both spellings reach the one service: a change through one shows through the other.
    ASSERT_TRUE(ChangeStartType(Open(Upper(name_), SERVICE_CHANGE_CONFIG).get(), SERVICE_DISABLED));
    const auto config = QueryConfig(Open(Lower(name_), SERVICE_QUERY_CONFIG).get());
    ASSERT_TRUE(config.has_value());
    EXPECT_EQ(config->start, static_cast<DWORD>(SERVICE_DISABLED));
}

TEST_F(ServiceManagerContractTest, OpenFailsForUnknownServicesAndHandlesOtherThanTheManager) {
    EXPECT_EQ(Open(name_ + L"-missing", SERVICE_QUERY_CONFIG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));

    EXPECT_EQ(OpenServiceW(nullptr, name_.c_str(), SERVICE_QUERY_CONFIG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    const ServiceHandle service = Open(SERVICE_QUERY_CONFIG);
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(OpenServiceW(service.get(), name_.c_str(), SERVICE_QUERY_CONFIG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(ServiceManagerContractTest, StartTypeChangeKeepsTheRestAndShowsInTheServiceKey) {
    const ServiceHandle service = Open(SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG);
    ASSERT_NE(service, nullptr);
    const auto before = QueryConfig(service.get());
    ASSERT_TRUE(before.has_value());
    EXPECT_EQ(before->type, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(before->start, static_cast<DWORD>(SERVICE_DEMAND_START));
    EXPECT_EQ(before->errorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
    EXPECT_EQ(RegistryDword(L"Start"), static_cast<DWORD>(SERVICE_DEMAND_START));

    ASSERT_TRUE(ChangeStartType(service.get(), SERVICE_AUTO_START)) << GetLastError();
    const auto after = QueryConfig(service.get());
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->start, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(after->type, before->type);
    EXPECT_EQ(after->errorControl, before->errorControl);
    EXPECT_EQ(after->binaryPath, before->binaryPath);
    EXPECT_EQ(after->startName, before->startName);
    EXPECT_EQ(after->displayName, before->displayName);
    EXPECT_EQ(RegistryDword(L"Start"), static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(RegistryDword(L"Type"), static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(RegistryDword(L"ErrorControl"), static_cast<DWORD>(SERVICE_ERROR_NORMAL));

    ASSERT_TRUE(ChangeStartType(service.get(), SERVICE_DISABLED)) << GetLastError();
    EXPECT_EQ(RegistryDword(L"Start"), static_cast<DWORD>(SERVICE_DISABLED));
}

TEST_F(ServiceManagerContractTest, ChangeWithNothingToChangeSucceeds) {
    const ServiceHandle service = Open(SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG);
    ASSERT_NE(service, nullptr);
    const auto before = QueryConfig(service.get());
    ASSERT_TRUE(before.has_value());
    EXPECT_TRUE(ChangeStartType(service.get(), SERVICE_NO_CHANGE)) << GetLastError();
    const auto after = QueryConfig(service.get());
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->start, before->start);
    EXPECT_EQ(after->binaryPath, before->binaryPath);
    EXPECT_EQ(RegistryDword(L"Start"), static_cast<DWORD>(SERVICE_DEMAND_START));
}

TEST_F(ServiceManagerContractTest, ChangeWithoutInformationLeavesItAsItIs) {
    SKIP_UNDER_WINE(
        "Wine reads through a null lpInfo of ChangeServiceConfig2W and fails with "
        "ERROR_NOACCESS instead of leaving the information unchanged");
    const ServiceHandle service = Open(SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG);
    ASSERT_NE(service, nullptr);
    ASSERT_TRUE(ChangeDescription(service.get(), L"Kept"));
    EXPECT_TRUE(ChangeServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION, nullptr))
        << GetLastError();
    EXPECT_EQ(QueryDescription(service.get()), L"Kept");
}

TEST_F(ServiceManagerContractTest, ConfigurationQueryReportsTheSizeItNeeds) {
    const ServiceHandle service = Open(SERVICE_QUERY_CONFIG);
    ASSERT_NE(service, nullptr);
    DWORD needed = 0;
    EXPECT_FALSE(QueryServiceConfigW(service.get(), nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    // The strings follow the structure in the same buffer.
    EXPECT_GT(needed, sizeof(QUERY_SERVICE_CONFIGW));

    std::vector<BYTE> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    DWORD again = 0;
    EXPECT_FALSE(QueryServiceConfigW(service.get(), config, needed - 1, &again));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(again, needed);
    ASSERT_TRUE(QueryServiceConfigW(service.get(), config, needed, &again)) << GetLastError();
    EXPECT_STREQ(config->lpBinaryPathName, contract::kTestServiceImage);
    EXPECT_STREQ(config->lpDisplayName, name_.c_str());
    EXPECT_STREQ(config->lpServiceStartName, L"LocalSystem");
    EXPECT_GE(reinterpret_cast<const BYTE*>(config->lpDisplayName), buffer.data());
    EXPECT_LT(reinterpret_cast<const BYTE*>(config->lpDisplayName), buffer.data() + needed);
}

TEST_F(ServiceManagerContractTest, DescriptionQueryReportsTheSizeItNeeds) {
    const ServiceHandle service = Open(SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG);
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(QueryDescription(service.get()), L"") << "a plain install has none";

    const std::wstring text = L"Contract test service";
    ASSERT_TRUE(ChangeDescription(service.get(), text.c_str())) << GetLastError();
    DWORD needed = 0;
    EXPECT_FALSE(
        QueryServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_GE(needed, sizeof(SERVICE_DESCRIPTIONW) + (text.size() + 1) * sizeof(wchar_t));
    std::vector<BYTE> buffer(needed);
    DWORD again = 0;
    EXPECT_FALSE(QueryServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION, buffer.data(),
                                      needed - 1, &again));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(again, needed);
    ASSERT_TRUE(QueryServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION, buffer.data(),
                                     needed, &again))
        << GetLastError();
    EXPECT_STREQ(reinterpret_cast<SERVICE_DESCRIPTIONW*>(buffer.data())->lpDescription,
                 text.c_str());

    // An empty description removes it.
    ASSERT_TRUE(ChangeDescription(service.get(), L"")) << GetLastError();
    EXPECT_EQ(QueryDescription(service.get()), L"");
}

TEST_F(ServiceManagerContractTest, ChangesNeedTheChangeRightAndQueriesTheQueryRight) {
    const ServiceHandle reader = Open(SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS);
    ASSERT_NE(reader, nullptr);
    EXPECT_FALSE(ChangeStartType(reader.get(), SERVICE_AUTO_START));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(ChangeDelayedStart(reader.get(), TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(ChangeDescription(reader.get(), L"Refused"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(RegistryDword(L"Start"), static_cast<DWORD>(SERVICE_DEMAND_START));
    EXPECT_EQ(RegistryDword(L"DelayedAutostart"), std::nullopt);

    const ServiceHandle writer = Open(SERVICE_CHANGE_CONFIG);
    ASSERT_NE(writer, nullptr);
    std::vector<BYTE> buffer(8 * 1024);
    DWORD needed = 0;
    EXPECT_FALSE(QueryServiceConfigW(writer.get(),
                                     reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data()),
                                     static_cast<DWORD>(buffer.size()), &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(QueryServiceConfig2W(writer.get(), SERVICE_CONFIG_DESCRIPTION, buffer.data(),
                                      static_cast<DWORD>(buffer.size()), &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(ServiceManagerContractTest, GenericRightsGrantTheirServiceRights) {
    const ServiceHandle writer = Open(GENERIC_WRITE);
    ASSERT_NE(writer, nullptr);
    EXPECT_TRUE(ChangeStartType(writer.get(), SERVICE_AUTO_START)) << GetLastError();

    const ServiceHandle reader = Open(GENERIC_READ);
    ASSERT_NE(reader, nullptr);
    const auto config = QueryConfig(reader.get());
    ASSERT_TRUE(config.has_value());
    EXPECT_EQ(config->start, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_FALSE(ChangeStartType(reader.get(), SERVICE_DEMAND_START));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(ServiceManagerContractTest, CallsOnHandlesThatAreNoServiceFail) {
    SERVICE_DELAYED_AUTO_START_INFO info{TRUE};
    std::vector<BYTE> buffer(8 * 1024);
    DWORD needed = 0;
    for (SC_HANDLE handle : {static_cast<SC_HANDLE>(nullptr), manager_.get()}) {
        EXPECT_FALSE(ChangeStartType(handle, SERVICE_AUTO_START));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(ChangeServiceConfig2W(handle, SERVICE_CONFIG_DELAYED_AUTO_START_INFO, &info));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(QueryServiceConfigW(handle,
                                         reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data()),
                                         static_cast<DWORD>(buffer.size()), &needed));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(QueryServiceConfig2W(handle, SERVICE_CONFIG_DESCRIPTION, buffer.data(),
                                          static_cast<DWORD>(buffer.size()), &needed));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
    EXPECT_FALSE(CloseServiceHandle(nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(RegistryDword(L"Start"), static_cast<DWORD>(SERVICE_DEMAND_START));
}

TEST_F(ServiceManagerContractTest, StartTypesOfDriversAndUnknownOnesAreRefused) {
    const ServiceHandle service = Open(SERVICE_CHANGE_CONFIG);
    ASSERT_NE(service, nullptr);
    for (const DWORD start : {SERVICE_BOOT_START, SERVICE_SYSTEM_START, SERVICE_DISABLED + 1}) {
        EXPECT_FALSE(ChangeStartType(service.get(), start)) << start;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << start;
    }
    EXPECT_EQ(RegistryDword(L"Start"), static_cast<DWORD>(SERVICE_DEMAND_START));
}

TEST_F(ServiceManagerContractTest, QueryOfAnUnknownLevelFails) {
    const ServiceHandle service = Open(SERVICE_QUERY_CONFIG);
    ASSERT_NE(service, nullptr);
    std::vector<BYTE> buffer(8 * 1024);
    DWORD needed = 0;
    EXPECT_FALSE(QueryServiceConfig2W(service.get(), 99, buffer.data(),
                                      static_cast<DWORD>(buffer.size()), &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
}

TEST_F(ServiceManagerContractTest, ChangeOfAnUnknownLevelFails) {
    SKIP_UNDER_WINE(
        "Wine marshals the unknown level as an RPC union tag and fails with RPC_S_INVALID_TAG "
        "(1733) instead of ERROR_INVALID_LEVEL");
    const ServiceHandle service = Open(SERVICE_CHANGE_CONFIG);
    ASSERT_NE(service, nullptr);
    SERVICE_DELAYED_AUTO_START_INFO info{TRUE};
    EXPECT_FALSE(ChangeServiceConfig2W(service.get(), 99, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
    EXPECT_EQ(RegistryDword(L"DelayedAutostart"), std::nullopt);
}

TEST_F(ServiceManagerContractTest, DeletedServiceRefusesChangesUntilItsHandlesClose) {
    ServiceHandle service = Open(SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG);
    ASSERT_NE(service, nullptr);
    ASSERT_TRUE(contract::RemoveTestService(name_));
    installed_ = false;
    EXPECT_FALSE(ChangeStartType(service.get(), SERVICE_AUTO_START));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));

    service.reset();
    EXPECT_EQ(Open(SERVICE_QUERY_CONFIG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_EQ(RegistryDword(L"Start"), std::nullopt) << "the service key goes with it";
}

TEST_F(ServiceManagerContractTest, DelayedStartShowsInTheQueryAndTheServiceKey) {
    SKIP_UNDER_WINE(kWineHasNoDelayedStart);
    const ServiceHandle service = Open(SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG);
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(QueryDelayedStart(service.get()), false);
    EXPECT_EQ(RegistryDword(L"DelayedAutostart"), std::nullopt) << "a plain install has none";

    // Any service may carry the flag; it only matters once the service starts automatically.
    ASSERT_TRUE(ChangeDelayedStart(service.get(), TRUE)) << GetLastError();
    EXPECT_EQ(QueryDelayedStart(service.get()), true);
    EXPECT_EQ(RegistryDword(L"DelayedAutostart"), 1u);
    EXPECT_EQ(RegistryDword(L"Start"), static_cast<DWORD>(SERVICE_DEMAND_START));

    ASSERT_TRUE(ChangeStartType(service.get(), SERVICE_AUTO_START)) << GetLastError();
    EXPECT_EQ(QueryDelayedStart(service.get()), true) << "a start type change keeps the flag";

    // Clearing writes 0 rather than removing the value.
    ASSERT_TRUE(ChangeDelayedStart(service.get(), FALSE)) << GetLastError();
    EXPECT_EQ(QueryDelayedStart(service.get()), false);
    EXPECT_EQ(RegistryDword(L"DelayedAutostart"), 0u);
    EXPECT_EQ(RegistryDword(L"Start"), static_cast<DWORD>(SERVICE_AUTO_START));
}

TEST_F(ServiceManagerContractTest, DelayedStartQueryAndChangeFollowTheRules) {
    SKIP_UNDER_WINE(kWineHasNoDelayedStart);
    const ServiceHandle service = Open(SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG);
    ASSERT_NE(service, nullptr);
    DWORD needed = 0;
    EXPECT_FALSE(QueryServiceConfig2W(service.get(), SERVICE_CONFIG_DELAYED_AUTO_START_INFO,
                                      nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(needed, sizeof(SERVICE_DELAYED_AUTO_START_INFO));

    // Without information the flag stays as it is.
    ASSERT_TRUE(ChangeDelayedStart(service.get(), TRUE));
    EXPECT_TRUE(
        ChangeServiceConfig2W(service.get(), SERVICE_CONFIG_DELAYED_AUTO_START_INFO, nullptr))
        << GetLastError();
    EXPECT_EQ(QueryDelayedStart(service.get()), true);

    const ServiceHandle writer = Open(SERVICE_CHANGE_CONFIG);
    ASSERT_NE(writer, nullptr);
    SERVICE_DELAYED_AUTO_START_INFO info{};
    EXPECT_FALSE(QueryServiceConfig2W(writer.get(), SERVICE_CONFIG_DELAYED_AUTO_START_INFO,
                                      reinterpret_cast<BYTE*>(&info), sizeof(info), &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(QueryServiceConfig2W(manager_.get(), SERVICE_CONFIG_DELAYED_AUTO_START_INFO,
                                      reinterpret_cast<BYTE*>(&info), sizeof(info), &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
