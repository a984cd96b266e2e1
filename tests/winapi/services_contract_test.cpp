// The service control manager as any Win32 implementation must behave: opening services
// by name without regard to case, start type and delayed start as the queries and the
// service's registry key show them, access rights, and the errors of bad handles and
// arguments. Every test installs a service of its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <functional>
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
    bool operator==(const Config&) const = default;
};

std::wstring Recased(std::wstring text, wint_t (*change)(wint_t)) {
    std::transform(text.begin(), text.end(), text.begin(), change);
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

BOOL ChangeDescription(SC_HANDLE service, const wchar_t* text) {
    SERVICE_DESCRIPTIONW info{const_cast<wchar_t*>(text)};
    return ChangeServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, &info);
}

// Level 0 stands for QueryServiceConfigW, any other for QueryServiceConfig2W at that level.
constexpr DWORD kConfig = 0;
BOOL QueryLevel(SC_HANDLE service, DWORD level, BYTE* buffer, DWORD size, DWORD* needed) {
    return level == kConfig
               ? QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer),
                                     size, needed)
               : QueryServiceConfig2W(service, level, buffer, size, needed);
}

// A query through the size protocol: no buffer tells the size, one byte less is refused with
// the same size, that size is filled. Empty on failure.
std::vector<BYTE> QueryAll(SC_HANDLE service, DWORD level) {
    DWORD needed = 0;
    if (QueryLevel(service, level, nullptr, 0, &needed) ||
        GetLastError() != static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER) || needed == 0) {
        ADD_FAILURE() << "size query: error " << GetLastError() << ", size " << needed;
        return {};
    }
    std::vector<BYTE> buffer(needed);
    DWORD again = 0;
    EXPECT_FALSE(QueryLevel(service, level, buffer.data(), needed - 1, &again));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(again, needed);
    if (!QueryLevel(service, level, buffer.data(), needed, &again)) {
        ADD_FAILURE() << "query: error " << GetLastError();
        return {};
    }
    return buffer;
}

std::optional<Config> QueryConfig(SC_HANDLE service) {
    const std::vector<BYTE> buffer = QueryAll(service, kConfig);
    if (buffer.empty()) {
        return std::nullopt;
    }
    const auto* config = reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(buffer.data());
    auto text = [](const wchar_t* value) { return std::wstring(value != nullptr ? value : L""); };
    return Config{config->dwServiceType,
                  config->dwStartType,
                  config->dwErrorControl,
                  text(config->lpBinaryPathName),
                  text(config->lpServiceStartName),
                  text(config->lpDisplayName)};
}

// Empty when there is none.
std::optional<std::wstring> QueryDescription(SC_HANDLE service) {
    const std::vector<BYTE> buffer = QueryAll(service, SERVICE_CONFIG_DESCRIPTION);
    const auto* info = reinterpret_cast<const SERVICE_DESCRIPTIONW*>(buffer.data());
    return buffer.empty()
               ? std::nullopt
               : std::optional(std::wstring(info->lpDescription ? info->lpDescription : L""));
}

std::optional<bool> QueryDelayedStart(SC_HANDLE service) {
    const std::vector<BYTE> buffer = QueryAll(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO);
    const auto* info = reinterpret_cast<const SERVICE_DELAYED_AUTO_START_INFO*>(buffer.data());
    EXPECT_EQ(buffer.size(), sizeof(SERVICE_DELAYED_AUTO_START_INFO)) << "delayed start record";
    return buffer.size() != sizeof(*info) ? std::nullopt
                                          : std::optional(info->fDelayedAutostart != FALSE);
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

TEST_F(ServiceManagerContractTest, OpensByNameWithoutRegardToCaseThroughTheManagerUntilDeleted) {
    // Both spellings reach the one service: a change through one shows through the other.
    ServiceHandle upper = Open(Recased(name_, std::towupper), SERVICE_CHANGE_CONFIG);
    ASSERT_TRUE(ChangeStartType(upper.get(), SERVICE_DISABLED)) << GetLastError();
    ServiceHandle lower = Open(Recased(name_, std::towlower), SERVICE_QUERY_CONFIG);
    const auto config = QueryConfig(lower.get());
    ASSERT_TRUE(config.has_value());
    EXPECT_EQ(config->start, static_cast<DWORD>(SERVICE_DISABLED));

    EXPECT_EQ(Open(name_ + L"-missing", SERVICE_QUERY_CONFIG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_EQ(OpenServiceW(nullptr, name_.c_str(), SERVICE_QUERY_CONFIG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(OpenServiceW(lower.get(), name_.c_str(), SERVICE_QUERY_CONFIG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    // A deleted service refuses changes until its last handle closes, then it is gone.
    ASSERT_TRUE(contract::RemoveTestService(name_));
    installed_ = false;
    EXPECT_FALSE(ChangeStartType(upper.get(), SERVICE_AUTO_START));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
    upper.reset();
    lower.reset();
    EXPECT_EQ(Open(SERVICE_QUERY_CONFIG), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_EQ(RegistryDword(L"Start"), std::nullopt) << "the service key goes with it";
}

TEST_F(ServiceManagerContractTest, ConfigurationChangesKeepTheRestAndShowInTheServiceKey) {
    const ServiceHandle service = Open(SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG);
    ASSERT_NE(service, nullptr);
    const std::vector<BYTE> buffer = QueryAll(service.get(), kConfig);
    ASSERT_GT(buffer.size(), sizeof(QUERY_SERVICE_CONFIGW));
    const auto* name = reinterpret_cast<const BYTE*>(
        reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(buffer.data())->lpDisplayName);
    EXPECT_GE(name, buffer.data() + sizeof(QUERY_SERVICE_CONFIGW)) << "strings follow the record";
    EXPECT_LT(name, buffer.data() + buffer.size());
    const auto before = QueryConfig(service.get());
    ASSERT_TRUE(before.has_value());
    EXPECT_EQ(before->type, static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(before->start, static_cast<DWORD>(SERVICE_DEMAND_START));
    EXPECT_EQ(before->errorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
    EXPECT_EQ(before->binaryPath, contract::kTestServiceImage);
    EXPECT_EQ(before->displayName, name_);
    EXPECT_EQ(before->startName, L"LocalSystem");

    for (const DWORD start : {SERVICE_BOOT_START, SERVICE_SYSTEM_START, SERVICE_DISABLED + 1}) {
        EXPECT_FALSE(ChangeStartType(service.get(), start)) << start;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << start;
    }
    EXPECT_TRUE(ChangeStartType(service.get(), SERVICE_NO_CHANGE)) << GetLastError();
    EXPECT_EQ(QueryConfig(service.get()), before) << "refused changes, or nothing to change";
    EXPECT_EQ(RegistryDword(L"Start"), static_cast<DWORD>(SERVICE_DEMAND_START));
    ASSERT_TRUE(ChangeStartType(service.get(), SERVICE_AUTO_START)) << GetLastError();
    Config expected = *before;
    expected.start = SERVICE_AUTO_START;
    EXPECT_EQ(QueryConfig(service.get()), expected);
    EXPECT_EQ(RegistryDword(L"Start"), static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(RegistryDword(L"Type"), static_cast<DWORD>(SERVICE_WIN32_OWN_PROCESS));
    EXPECT_EQ(RegistryDword(L"ErrorControl"), static_cast<DWORD>(SERVICE_ERROR_NORMAL));
    ASSERT_TRUE(ChangeStartType(service.get(), SERVICE_DISABLED)) << GetLastError();
    EXPECT_EQ(RegistryDword(L"Start"), static_cast<DWORD>(SERVICE_DISABLED));

    EXPECT_EQ(QueryDescription(service.get()), L"") << "a plain install has none";
    ASSERT_TRUE(ChangeDescription(service.get(), L"Contract test service")) << GetLastError();
    EXPECT_EQ(QueryDescription(service.get()), L"Contract test service");
    // An empty description removes it.
    ASSERT_TRUE(ChangeDescription(service.get(), L"")) << GetLastError();
    EXPECT_EQ(QueryDescription(service.get()), L"");
}

TEST_F(ServiceManagerContractTest, UnknownLevelsFailAndChangesWithoutInformationChangeNothing) {
    const ServiceHandle service = Open(SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG);
    std::vector<BYTE> buffer(8 * 1024);
    DWORD needed = 0;
    EXPECT_FALSE(QueryLevel(service.get(), 99, buffer.data(), 8 * 1024, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
    SKIP_UNDER_WINE(
        "Wine marshals an unknown level of ChangeServiceConfig2W as an RPC union tag and fails "
        "with RPC_S_INVALID_TAG (1733) instead of ERROR_INVALID_LEVEL, and reads through a null "
        "lpInfo and fails with ERROR_NOACCESS instead of leaving the information unchanged");
    SERVICE_DELAYED_AUTO_START_INFO info{TRUE};
    EXPECT_FALSE(ChangeServiceConfig2W(service.get(), 99, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_LEVEL));
    EXPECT_EQ(RegistryDword(L"DelayedAutostart"), std::nullopt);
    ASSERT_TRUE(ChangeDescription(service.get(), L"Kept"));
    EXPECT_TRUE(ChangeServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION, nullptr))
        << GetLastError();
    EXPECT_EQ(QueryDescription(service.get()), L"Kept");
}

// Each call on a handle with and without its right, and on handles that are no service.
TEST_F(ServiceManagerContractTest, CallsNeedTheirRightOnAServiceHandle) {
    std::vector<BYTE> buffer(8 * 1024);
    DWORD needed = 0;
    const auto size = static_cast<DWORD>(buffer.size());
    const struct {
        const char* name;
        bool changes;
        std::function<BOOL(SC_HANDLE)> invoke;
        bool delayedStart = false;
    } calls[] = {
        {"ChangeServiceConfigW", true,
         [](SC_HANDLE h) { return ChangeStartType(h, SERVICE_AUTO_START); }},
        {"ChangeServiceConfig2W(description)", true,
         [](SC_HANDLE h) { return ChangeDescription(h, L"Changed"); }},
        {"ChangeServiceConfig2W(delayed start)", true,
         [](SC_HANDLE h) { return ChangeDelayedStart(h, TRUE); }, true},
        {"QueryServiceConfigW", false,
         [&](SC_HANDLE h) { return QueryLevel(h, kConfig, buffer.data(), size, &needed); }},
        {"QueryServiceConfig2W(description)", false, [&](SC_HANDLE h) {
             return QueryLevel(h, SERVICE_CONFIG_DESCRIPTION, buffer.data(), size, &needed);
         }}};
    constexpr DWORD kNull = 0;
    constexpr DWORD kManager = ~0u;
    // Refusing rows first: the service key must still hold the installed start type after them.
    const struct {
        DWORD access;
        DWORD queryError;
        DWORD changeError;
    } rows[] = {{kNull, ERROR_INVALID_HANDLE, ERROR_INVALID_HANDLE},
                {kManager, ERROR_INVALID_HANDLE, ERROR_INVALID_HANDLE},
                {SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS, ERROR_SUCCESS, ERROR_ACCESS_DENIED},
                {GENERIC_READ, ERROR_SUCCESS, ERROR_ACCESS_DENIED},
                {SERVICE_CHANGE_CONFIG, ERROR_ACCESS_DENIED, ERROR_SUCCESS},
                {GENERIC_WRITE, ERROR_ACCESS_DENIED, ERROR_SUCCESS}};
    for (const auto& row : rows) {
        const ServiceHandle opened =
            row.access == kNull || row.access == kManager ? ServiceHandle() : Open(row.access);
        SC_HANDLE handle = row.access == kManager ? manager_.get() : opened.get();
        for (const auto& call : calls) {
            DWORD expected = call.changes ? row.changeError : row.queryError;
            if (expected == ERROR_SUCCESS && call.delayedStart && contract::UnderWine()) {
                expected = ERROR_INVALID_LEVEL;  // kWineHasNoDelayedStart
            }
            SetLastError(ERROR_SUCCESS);
            EXPECT_EQ(call.invoke(handle) ? ERROR_SUCCESS : GetLastError(), expected)
                << call.name << " with access 0x" << std::hex << row.access;
        }
        if (row.changeError != ERROR_SUCCESS) {
            EXPECT_EQ(RegistryDword(L"Start"), static_cast<DWORD>(SERVICE_DEMAND_START));
            EXPECT_EQ(RegistryDword(L"DelayedAutostart"), std::nullopt);
        }
    }
    EXPECT_FALSE(CloseServiceHandle(nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
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
    EXPECT_TRUE(
        ChangeServiceConfig2W(service.get(), SERVICE_CONFIG_DELAYED_AUTO_START_INFO, nullptr))
        << "without information the flag stays; error " << GetLastError();
    ASSERT_TRUE(ChangeStartType(service.get(), SERVICE_AUTO_START)) << GetLastError();
    EXPECT_EQ(QueryDelayedStart(service.get()), true) << "a start type change keeps the flag";

    // Clearing writes 0 rather than removing the value.
    ASSERT_TRUE(ChangeDelayedStart(service.get(), FALSE)) << GetLastError();
    EXPECT_EQ(QueryDelayedStart(service.get()), false);
    EXPECT_EQ(RegistryDword(L"DelayedAutostart"), 0u);
    EXPECT_EQ(RegistryDword(L"Start"), static_cast<DWORD>(SERVICE_AUTO_START));

    SERVICE_DELAYED_AUTO_START_INFO info{};
    DWORD needed = 0;
    auto* record = reinterpret_cast<BYTE*>(&info);
    const DWORD level = SERVICE_CONFIG_DELAYED_AUTO_START_INFO;
    EXPECT_FALSE(
        QueryLevel(Open(SERVICE_CHANGE_CONFIG).get(), level, record, sizeof(info), &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(QueryLevel(manager_.get(), level, record, sizeof(info), &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
