#include "service_manager_platform.h"

#include <vector>

namespace scm_suite {
namespace {

constexpr wchar_t kSetupStateKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup\\State";
constexpr wchar_t kImageState[] = L"ImageState";
constexpr wchar_t kComplete[] = L"IMAGE_STATE_COMPLETE";

std::wstring ReadImageState() {
    DWORD size = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kSetupStateKey, kImageState, RRF_RT_REG_SZ, nullptr,
                     nullptr, &size) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kSetupStateKey, kImageState, RRF_RT_REG_SZ, nullptr,
                     text.data(), &size) != ERROR_SUCCESS) {
        return {};
    }
    return text.data();
}

}  // namespace

std::string EnsureSetupFinished() {
    if (ReadImageState() == kComplete) {
        return {};
    }
    if (!UnderWine()) {
        return "this Windows machine has not finished set-up (ImageState is not " +
               std::string("IMAGE_STATE_COMPLETE); the service would wait for it");
    }
    HKEY key = nullptr;
    LSTATUS status =
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSetupStateKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(key, kImageState, 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(kComplete), sizeof kComplete);
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS) {
        return "writing ImageState into the Wine prefix failed with error " +
               std::to_string(status);
    }
    return {};
}

}  // namespace scm_suite
