#include "winapi/control/registry.h"

#include <cstring>

#include "winapi/machine/machine.h"

namespace winsim::registry {

namespace {

detail::Registry& TheRegistry() {
    return detail::Machine::Get().registry;
}

std::vector<BYTE> Bytes(const void* data, std::size_t size) {
    std::vector<BYTE> bytes(size);
    if (size > 0) {
        std::memcpy(bytes.data(), data, size);
    }
    return bytes;
}

}  // namespace

void SetString(std::wstring_view key, std::wstring_view name, std::wstring_view value, HKEY root) {
    const std::wstring text(value);
    TheRegistry().Set(root, key, name, REG_SZ,
                      Bytes(text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
}

void SetDword(std::wstring_view key, std::wstring_view name, DWORD value, HKEY root) {
    TheRegistry().Set(root, key, name, REG_DWORD, Bytes(&value, sizeof(value)));
}

void SetValue(std::wstring_view key, std::wstring_view name, DWORD type,
              const std::vector<BYTE>& data, HKEY root) {
    TheRegistry().Set(root, key, name, type, data);
}

void CreateKey(std::wstring_view key, HKEY root) {
    TheRegistry().EnsureKey(root, key);
}

std::optional<std::wstring> GetString(std::wstring_view key, std::wstring_view name, HKEY root) {
    const auto value = TheRegistry().Get(root, key, name);
    if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    std::wstring text(value->data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), value->data.data(), text.size() * sizeof(wchar_t));
    // The stored terminator, if any, is not part of the text.
    const auto nul = text.find(L'\0');
    if (nul != std::wstring::npos) {
        text.resize(nul);
    }
    return text;
}

std::optional<DWORD> GetDword(std::wstring_view key, std::wstring_view name, HKEY root) {
    const auto value = TheRegistry().Get(root, key, name);
    if (!value || value->type != REG_DWORD || value->data.size() != sizeof(DWORD)) {
        return std::nullopt;
    }
    DWORD data = 0;
    std::memcpy(&data, value->data.data(), sizeof(data));
    return data;
}

bool KeyExists(std::wstring_view key, HKEY root) {
    return TheRegistry().KeyExists(root, key);
}

bool ValueExists(std::wstring_view key, std::wstring_view name, HKEY root) {
    return TheRegistry().Get(root, key, name).has_value();
}

bool DeleteValue(std::wstring_view key, std::wstring_view name, HKEY root) {
    return TheRegistry().RemoveValue(root, key, name);
}

bool DeleteKey(std::wstring_view key, HKEY root) {
    return TheRegistry().RemoveKey(root, key);
}

}  // namespace winsim::registry
