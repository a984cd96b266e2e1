// Values of the registry: reads with RegGetValueW's type checks and size protocol, raw
// reads and writes, enumeration.

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "winapi/machine/registry_store.h"
#include "winapi/win32/errors.h"

namespace winsim::detail {

namespace {

constexpr std::size_t kWchar = sizeof(wchar_t);

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// String data as RegGetValueW returns it: whole characters, NUL-terminated (a multi-string
// with its final empty string).
std::vector<BYTE> Terminated(const RegValue& value) {
    std::vector<BYTE> data = value.data;
    data.resize((data.size() + kWchar - 1) / kWchar * kWchar, 0);
    const auto ends_with_nul = [&data](std::size_t from_end) {
        if (data.size() < from_end * kWchar) {
            return false;
        }
        const BYTE* c = data.data() + data.size() - from_end * kWchar;
        return std::all_of(c, c + kWchar, [](BYTE b) { return b == 0; });
    };
    if (!ends_with_nul(1)) {
        data.insert(data.end(), kWchar, 0);
    }
    if (value.type == REG_MULTI_SZ && data.size() > kWchar && !ends_with_nul(2)) {
        data.insert(data.end(), kWchar, 0);
    }
    return data;
}

DWORD TypeFlag(DWORD type) {
    switch (type) {
        case REG_NONE:
            return RRF_RT_REG_NONE;
        case REG_SZ:
            return RRF_RT_REG_SZ;
        case REG_EXPAND_SZ:
            return RRF_RT_REG_EXPAND_SZ;
        case REG_BINARY:
            return RRF_RT_REG_BINARY;
        case REG_DWORD:
            return RRF_RT_REG_DWORD;
        case REG_MULTI_SZ:
            return RRF_RT_REG_MULTI_SZ;
        case REG_QWORD:
            return RRF_RT_REG_QWORD;
        default:
            return 0;
    }
}

const RegValue* FindValue(const RegKey& key, std::wstring_view name) {
    const std::wstring folded = FoldName(name);
    const auto it =
        std::find_if(key.values.begin(), key.values.end(),
                     [&folded](const RegValue& v) { return FoldName(v.name) == folded; });
    return it == key.values.end() ? nullptr : &*it;
}

// The bytes RegGetValueW hands out for `value` under the type restriction of `flags`, or
// the error it reports.
LSTATUS ShapeForGet(const RegValue& value, DWORD flags, DWORD* type, std::vector<BYTE>* out) {
    const DWORD restriction = flags & RRF_RT_ANY;
    DWORD effective = value.type;
    // Without RRF_NOEXPAND an expandable string is returned expanded, as REG_SZ. The machine
    // defines no environment variables, so expansion leaves the text as stored.
    if (effective == REG_EXPAND_SZ && (flags & RRF_NOEXPAND) == 0) {
        effective = REG_SZ;
    }
    if ((TypeFlag(effective) & restriction) == 0) {
        return ERROR_UNSUPPORTED_TYPE;
    }
    std::vector<BYTE> data = IsStringType(effective) ? Terminated(value) : value.data;
    const bool dword_sized =
        effective == REG_DWORD || (effective == REG_BINARY && restriction == RRF_RT_DWORD);
    const bool qword_sized =
        effective == REG_QWORD || (effective == REG_BINARY && restriction == RRF_RT_QWORD);
    if ((dword_sized && data.size() != 4) || (qword_sized && data.size() != 8)) {
        return ERROR_DATATYPE_MISMATCH;
    }
    *type = effective;
    *out = std::move(data);
    return ERROR_SUCCESS;
}

// The caller's side of the size protocol shared by the value reads.
LSTATUS CopyOut(const std::vector<BYTE>& data, void* buffer, DWORD* size) {
    const auto needed = static_cast<DWORD>(data.size());
    if (buffer == nullptr) {
        if (size != nullptr) {
            *size = needed;
        }
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (!data.empty()) {
        std::memcpy(buffer, data.data(), data.size());
    }
    *size = needed;
    return ERROR_SUCCESS;
}

}  // namespace

void Registry::Store(RegKey& key, std::wstring_view name, DWORD type, std::vector<BYTE> data) {
    const std::wstring folded = FoldName(name);
    const auto it =
        std::find_if(key.values.begin(), key.values.end(),
                     [&folded](const RegValue& v) { return FoldName(v.name) == folded; });
    if (it != key.values.end()) {
        it->type = type;
        it->data = std::move(data);
    } else {
        key.values.push_back(RegValue{std::wstring(name), type, std::move(data)});
    }
    // Windows reports every write, also one that stores the same data again.
    Fire(key, REG_NOTIFY_CHANGE_LAST_SET);
}

bool Registry::Erase(RegKey& key, std::wstring_view name) {
    const std::wstring folded = FoldName(name);
    const auto removed = std::erase_if(
        key.values, [&folded](const RegValue& v) { return FoldName(v.name) == folded; });
    if (removed == 0) {
        return false;
    }
    Fire(key, REG_NOTIFY_CHANGE_LAST_SET);
    return true;
}

LSTATUS Registry::GetValue(HKEY key, const wchar_t* subkey, const wchar_t* name, DWORD flags,
                           DWORD* type, void* data, DWORD* size) {
    const DWORD restriction = flags & RRF_RT_ANY;
    if (restriction == 0 || (data != nullptr && size == nullptr) ||
        (restriction == RRF_RT_REG_EXPAND_SZ && (flags & RRF_NOEXPAND) == 0)) {
        return ERROR_INVALID_PARAMETER;
    }
    const DWORD capacity = size != nullptr ? *size : 0;
    LSTATUS status = ERROR_SUCCESS;
    {
        tsa::MutexLock lock(mu_);
        OpenKeyRef ref;
        KeyPtr target;
        status = Resolve(key, &ref);
        if (status == ERROR_SUCCESS && subkey != nullptr && *subkey != L'\0') {
            // The subkey is opened for reading on the caller's behalf.
            status = Walk(ref.key, subkey, &target);
        } else if (status == ERROR_SUCCESS) {
            target = ref.key;
            status = (ref.access & KEY_QUERY_VALUE) != 0 ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
        }
        const RegValue* value = nullptr;
        if (status == ERROR_SUCCESS) {
            value = FindValue(*target, name == nullptr ? L"" : name);
            status = value != nullptr ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
        }
        if (status == ERROR_SUCCESS) {
            DWORD effective = REG_NONE;
            std::vector<BYTE> shaped;
            status = ShapeForGet(*value, flags, &effective, &shaped);
            if (status == ERROR_SUCCESS) {
                if (type != nullptr) {
                    *type = effective;
                }
                status = CopyOut(shaped, data, size);
            }
        }
    }
    if (status != ERROR_SUCCESS && (flags & RRF_ZEROONFAILURE) != 0 && data != nullptr) {
        std::memset(data, 0, capacity);
    }
    return status;
}

LSTATUS Registry::QueryValue(HKEY key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* size) {
    if (data != nullptr && size == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    tsa::MutexLock lock(mu_);
    OpenKeyRef ref;
    if (const LSTATUS status = Resolve(key, KEY_QUERY_VALUE, &ref); status != ERROR_SUCCESS) {
        return status;
    }
    const RegValue* value = FindValue(*ref.key, name == nullptr ? L"" : name);
    if (value == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (type != nullptr) {
        *type = value->type;
    }
    return CopyOut(value->data, data, size);
}

LSTATUS Registry::SetValue(HKEY key, const wchar_t* subkey, const wchar_t* name, DWORD type,
                           const BYTE* data, DWORD size) {
    if (data == nullptr && size > 0) {
        return ERROR_NOACCESS;
    }
    tsa::MutexLock lock(mu_);
    OpenKeyRef ref;
    if (const LSTATUS status = Resolve(key, &ref); status != ERROR_SUCCESS) {
        return status;
    }
    KeyPtr target = ref.key;
    if (subkey != nullptr && *subkey != L'\0') {
        bool created = false;
        if (const LSTATUS status = WalkOrCreate(ref.key, subkey, &target, &created);
            status != ERROR_SUCCESS) {
            return status;
        }
    } else if ((ref.access & KEY_SET_VALUE) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    Store(*target, name == nullptr ? L"" : name, type,
          std::vector<BYTE>(data, data == nullptr ? data : data + size));
    return ERROR_SUCCESS;
}

LSTATUS Registry::DeleteValue(HKEY key, const wchar_t* name) {
    tsa::MutexLock lock(mu_);
    OpenKeyRef ref;
    if (const LSTATUS status = Resolve(key, KEY_SET_VALUE, &ref); status != ERROR_SUCCESS) {
        return status;
    }
    return Erase(*ref.key, name == nullptr ? L"" : name) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LSTATUS Registry::EnumValue(HKEY key, DWORD index, wchar_t* name, DWORD* name_chars, DWORD* type,
                            BYTE* data, DWORD* size) {
    if (name == nullptr || name_chars == nullptr || (data != nullptr && size == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    tsa::MutexLock lock(mu_);
    OpenKeyRef ref;
    if (const LSTATUS status = Resolve(key, KEY_QUERY_VALUE, &ref); status != ERROR_SUCCESS) {
        return status;
    }
    if (index >= ref.key->values.size()) {
        return ERROR_NO_MORE_ITEMS;
    }
    const RegValue& value = ref.key->values[index];
    if (*name_chars <= value.name.size()) {
        return ERROR_MORE_DATA;
    }
    std::copy(value.name.begin(), value.name.end(), name);
    name[value.name.size()] = L'\0';
    *name_chars = static_cast<DWORD>(value.name.size());
    if (type != nullptr) {
        *type = value.type;
    }
    return CopyOut(value.data, data, size);
}

void Registry::Set(HKEY root, std::wstring_view path, std::wstring_view name, DWORD type,
                   std::vector<BYTE> data) {
    tsa::MutexLock lock(mu_);
    KeyPtr key;
    bool created = false;
    if (WalkOrCreate(RootOrThrow(root), path, &key, &created) != ERROR_SUCCESS) {
        throw std::invalid_argument("malformed registry path");
    }
    Store(*key, name, type, std::move(data));
}

std::optional<RegValue> Registry::Get(HKEY root, std::wstring_view path, std::wstring_view name) {
    tsa::MutexLock lock(mu_);
    KeyPtr key;
    if (Walk(RootOrThrow(root), path, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const RegValue* value = FindValue(*key, name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return *value;
}

bool Registry::RemoveValue(HKEY root, std::wstring_view path, std::wstring_view name) {
    tsa::MutexLock lock(mu_);
    KeyPtr key;
    if (Walk(RootOrThrow(root), path, &key) != ERROR_SUCCESS) {
        return false;
    }
    return Erase(*key, name);
}

}  // namespace winsim::detail
