#include "sim/common_base/registry_access.h"

namespace orvsim::registry {
namespace {

// A key opened for writing; closed when it goes out of scope.
class CreatedKey {
  public:
    CreatedKey(HKEY root, const std::wstring& subKey) {
        if (RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE, nullptr, &key_, nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    ~CreatedKey() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    CreatedKey(const CreatedKey&) = delete;
    CreatedKey& operator=(const CreatedKey&) = delete;

    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

}  // namespace

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& subKey,
                                       const std::wstring& valueName) {
    // The value may grow between the size query and the read; retry until it fits.
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD bytes = 0;
        LSTATUS status = RegGetValueW(root, subKey.c_str(), valueName.c_str(), RRF_RT_REG_SZ,
                                      nullptr, nullptr, &bytes);
        if (status != ERROR_SUCCESS) {
            return std::nullopt;
        }
        std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        status = RegGetValueW(root, subKey.c_str(), valueName.c_str(), RRF_RT_REG_SZ, nullptr,
                              text.data(), &bytes);
        if (status == ERROR_MORE_DATA) {
            continue;
        }
        if (status != ERROR_SUCCESS) {
            return std::nullopt;
        }
        text.resize(bytes / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0') {
            text.pop_back();
        }
        return text;
    }
    return std::nullopt;
}

std::optional<DWORD> ReadDword(HKEY root, const std::wstring& subKey,
                               const std::wstring& valueName) {
    DWORD value = 0;
    DWORD bytes = sizeof value;
    if (RegGetValueW(root, subKey.c_str(), valueName.c_str(), RRF_RT_REG_DWORD, nullptr, &value,
                     &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

bool WriteString(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                 const std::wstring& value) {
    CreatedKey key(root, subKey);
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return key.get() != nullptr &&
           RegSetValueExW(key.get(), valueName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
}

bool WriteDword(HKEY root, const std::wstring& subKey, const std::wstring& valueName, DWORD value) {
    CreatedKey key(root, subKey);
    return key.get() != nullptr &&
           RegSetValueExW(key.get(), valueName.c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

std::optional<RawValue> ReadRaw(HKEY key, const std::wstring& valueName) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        RawValue raw;
        DWORD bytes = 0;
        if (RegQueryValueExW(key, valueName.c_str(), nullptr, &raw.type, nullptr, &bytes) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        raw.data.resize(bytes);
        const LSTATUS status =
            RegQueryValueExW(key, valueName.c_str(), nullptr, &raw.type, raw.data.data(), &bytes);
        if (status == ERROR_MORE_DATA) {
            continue;
        }
        if (status != ERROR_SUCCESS) {
            return std::nullopt;
        }
        raw.data.resize(bytes);
        return raw;
    }
    return std::nullopt;
}

}  // namespace orvsim::registry
