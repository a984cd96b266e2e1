// Keys, handles and change notification of the registry.

#include "winapi/machine/registry_store.h"

#include <algorithm>
#include <cwctype>
#include <stdexcept>

#include "winapi/machine/handle_values.h"
#include "winapi/win32/errors.h"

namespace winsim::detail {

namespace {

constexpr REGSAM kMaximumAllowed = 0x02000000;

REGSAM MapAccess(REGSAM access) {
    access &= ~(KEY_WOW64_32KEY | KEY_WOW64_64KEY);
    if ((access & (GENERIC_ALL | kMaximumAllowed)) != 0) {
        return KEY_ALL_ACCESS;
    }
    REGSAM mapped = access & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE);
    if ((access & GENERIC_READ) != 0) {
        mapped |= KEY_READ;
    }
    if ((access & GENERIC_WRITE) != 0) {
        mapped |= KEY_WRITE;
    }
    if ((access & GENERIC_EXECUTE) != 0) {
        mapped |= KEY_EXECUTE;
    }
    return mapped;
}

// Splits "A\B\C" into its parts; a trailing backslash is allowed, a leading one or an
// empty part is not.
std::optional<std::vector<std::wstring_view>> SplitPath(std::wstring_view path) {
    std::vector<std::wstring_view> parts;
    if (path.empty()) {
        return parts;
    }
    if (path.back() == L'\\') {
        path.remove_suffix(1);
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find(L'\\', start);
        const std::wstring_view part = path.substr(
            start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start);
        if (part.empty()) {
            return std::nullopt;
        }
        parts.push_back(part);
        if (end == std::wstring_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

bool IsWithin(const RegKey* key, const RegKey* ancestor) {
    for (const RegKey* k = key; k != nullptr; k = k->parent) {
        if (k == ancestor) {
            return true;
        }
    }
    return false;
}

void CollectSubtree(const std::shared_ptr<RegKey>& key, std::vector<std::shared_ptr<RegKey>>& out) {
    out.push_back(key);
    for (const auto& [folded, child] : key->subkeys) {
        CollectSubtree(child, out);
    }
}

}  // namespace

std::wstring FoldName(std::wstring_view name) {
    std::wstring folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return folded;
}

Registry::Registry(Kernel& kernel) : kernel_(kernel) {
    Reset();
}

Registry::KeyPtr Registry::Root(HKEY root) const {
    const auto it = roots_.find(FromHandle(root));
    return it == roots_.end() ? nullptr : it->second;
}

Registry::KeyPtr Registry::RootOrThrow(HKEY root) const {
    KeyPtr key = Root(root);
    if (!key) {
        throw std::invalid_argument("not a predefined registry root");
    }
    return key;
}

LSTATUS Registry::Resolve(HKEY key, OpenKeyRef* out) const {
    if (KeyPtr root = Root(key)) {
        *out = OpenKeyRef{std::move(root), KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    }
    const auto it = handles_.find(FromHandle(key));
    if (it == handles_.end()) {
        return ERROR_INVALID_HANDLE;
    }
    if (it->second.key->deleted) {
        return ERROR_KEY_DELETED;
    }
    *out = it->second;
    return ERROR_SUCCESS;
}

LSTATUS Registry::Resolve(HKEY key, REGSAM needed, OpenKeyRef* out) const {
    if (const LSTATUS status = Resolve(key, out); status != ERROR_SUCCESS) {
        return status;
    }
    return (out->access & needed) != 0 ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LSTATUS Registry::ResolvePath(HKEY base, const wchar_t* subkey, KeyPtr* out) const {
    OpenKeyRef ref;
    if (const LSTATUS status = Resolve(base, &ref); status != ERROR_SUCCESS) {
        return status;
    }
    return Walk(ref.key, subkey == nullptr ? L"" : subkey, out);
}

LSTATUS Registry::Walk(const KeyPtr& base, std::wstring_view path, KeyPtr* out) const {
    const auto parts = SplitPath(path);
    if (!parts) {
        return ERROR_BAD_PATHNAME;
    }
    KeyPtr key = base;
    for (std::wstring_view part : *parts) {
        const auto it = key->subkeys.find(FoldName(part));
        if (it == key->subkeys.end()) {
            return ERROR_FILE_NOT_FOUND;
        }
        key = it->second;
    }
    *out = std::move(key);
    return ERROR_SUCCESS;
}

LSTATUS Registry::WalkOrCreate(const KeyPtr& base, std::wstring_view path, KeyPtr* out,
                               bool* created) {
    const auto parts = SplitPath(path);
    if (!parts) {
        return ERROR_BAD_PATHNAME;
    }
    *created = false;
    KeyPtr key = base;
    for (std::wstring_view part : *parts) {
        std::wstring folded = FoldName(part);
        auto it = key->subkeys.find(folded);
        if (it == key->subkeys.end()) {
            auto child = std::make_shared<RegKey>();
            child->name = std::wstring(part);
            child->parent = key.get();
            it = key->subkeys.emplace(std::move(folded), std::move(child)).first;
            Fire(*key, REG_NOTIFY_CHANGE_NAME);
            *created = true;
        }
        key = it->second;
    }
    *out = std::move(key);
    return ERROR_SUCCESS;
}

HKEY Registry::AddHandle(KeyPtr key, REGSAM access) {
    const uintptr_t value = NextHandleValue();
    handles_.emplace(value, OpenKeyRef{std::move(key), MapAccess(access)});
    return ToHandle<HKEY>(value);
}

LSTATUS Registry::OpenKey(HKEY base, const wchar_t* subkey, REGSAM access, HKEY* result) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    tsa::MutexLock lock(mu_);
    KeyPtr key;
    if (const LSTATUS status = ResolvePath(base, subkey, &key); status != ERROR_SUCCESS) {
        return status;
    }
    *result = AddHandle(std::move(key), access);
    return ERROR_SUCCESS;
}

LSTATUS Registry::CreateKey(HKEY base, const wchar_t* subkey, REGSAM access, HKEY* result,
                            DWORD* disposition) {
    if (result == nullptr || subkey == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    tsa::MutexLock lock(mu_);
    OpenKeyRef ref;
    if (const LSTATUS status = Resolve(base, &ref); status != ERROR_SUCCESS) {
        return status;
    }
    KeyPtr key;
    bool created = false;
    if (const LSTATUS status = WalkOrCreate(ref.key, subkey, &key, &created);
        status != ERROR_SUCCESS) {
        return status;
    }
    if (disposition != nullptr) {
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    *result = AddHandle(std::move(key), access);
    return ERROR_SUCCESS;
}

LSTATUS Registry::CloseKey(HKEY key) {
    tsa::MutexLock lock(mu_);
    if (Root(key)) {
        return ERROR_SUCCESS;  // predefined handles stay open
    }
    const uintptr_t value = FromHandle(key);
    if (handles_.erase(value) == 0) {
        return ERROR_INVALID_HANDLE;
    }
    // Closing the key ends its pending notifications by signalling them.
    for (auto it = watches_.begin(); it != watches_.end();) {
        if (it->handle == value) {
            FireWatch(*it);
            it = watches_.erase(it);
        } else {
            ++it;
        }
    }
    return ERROR_SUCCESS;
}

void Registry::RemoveSubtree(const KeyPtr& key) {
    RegKey* parent = key->parent;
    std::vector<KeyPtr> doomed;
    CollectSubtree(key, doomed);
    // Watches on a deleted key fire whatever their filter.
    for (auto it = watches_.begin(); it != watches_.end();) {
        if (std::find(doomed.begin(), doomed.end(), it->key) != doomed.end()) {
            FireWatch(*it);
            it = watches_.erase(it);
        } else {
            ++it;
        }
    }
    for (const KeyPtr& k : doomed) {
        k->deleted = true;
        k->parent = nullptr;
    }
    if (parent != nullptr) {
        parent->subkeys.erase(FoldName(key->name));
        Fire(*parent, REG_NOTIFY_CHANGE_NAME);
    }
    for (const KeyPtr& k : doomed) {
        k->subkeys.clear();
    }
}

LSTATUS Registry::DeleteKey(HKEY base, const wchar_t* subkey) {
    if (subkey == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    tsa::MutexLock lock(mu_);
    KeyPtr key;
    if (const LSTATUS status = ResolvePath(base, subkey, &key); status != ERROR_SUCCESS) {
        return status;
    }
    if (key->parent == nullptr || !key->subkeys.empty()) {
        return ERROR_ACCESS_DENIED;  // a root, or a key that still has subkeys
    }
    RemoveSubtree(key);
    return ERROR_SUCCESS;
}

LSTATUS Registry::DeleteTree(HKEY base, const wchar_t* subkey) {
    tsa::MutexLock lock(mu_);
    KeyPtr key;
    if (const LSTATUS status = ResolvePath(base, subkey, &key); status != ERROR_SUCCESS) {
        return status;
    }
    if (subkey != nullptr && *subkey != L'\0') {
        if (key->parent == nullptr) {
            return ERROR_ACCESS_DENIED;
        }
        RemoveSubtree(key);
        return ERROR_SUCCESS;
    }
    // No subkey: empty the key itself, keeping it.
    std::vector<KeyPtr> children;
    for (const auto& [folded, child] : key->subkeys) {
        children.push_back(child);
    }
    for (const KeyPtr& child : children) {
        RemoveSubtree(child);
    }
    if (!key->values.empty()) {
        key->values.clear();
        Fire(*key, REG_NOTIFY_CHANGE_LAST_SET);
    }
    return ERROR_SUCCESS;
}

LSTATUS Registry::EnumKey(HKEY key, DWORD index, wchar_t* name, DWORD* name_chars) {
    if (name == nullptr || name_chars == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    tsa::MutexLock lock(mu_);
    OpenKeyRef ref;
    if (const LSTATUS status = Resolve(key, KEY_ENUMERATE_SUB_KEYS, &ref);
        status != ERROR_SUCCESS) {
        return status;
    }
    if (index >= ref.key->subkeys.size()) {
        return ERROR_NO_MORE_ITEMS;
    }
    const std::wstring& found = std::next(ref.key->subkeys.begin(), index)->second->name;
    if (*name_chars <= found.size()) {
        return ERROR_MORE_DATA;
    }
    std::copy(found.begin(), found.end(), name);
    name[found.size()] = L'\0';
    *name_chars = static_cast<DWORD>(found.size());
    return ERROR_SUCCESS;
}

LSTATUS Registry::NotifyChange(HKEY key, bool subtree, DWORD filter, HANDLE event,
                               bool asynchronous) {
    if (filter == 0 || (filter & ~REG_LEGAL_CHANGE_FILTER) != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    std::shared_ptr<KernelObject> event_object;
    if (asynchronous) {
        event_object = kernel_.ReferenceEvent(event);
        if (!event_object) {
            return ERROR_INVALID_HANDLE;
        }
    }
    tsa::MutexLock lock(mu_);
    OpenKeyRef ref;
    if (const LSTATUS status = Resolve(key, KEY_NOTIFY, &ref); status != ERROR_SUCCESS) {
        return status;
    }
    Watch watch{ref.key, FromHandle(key), subtree, filter, std::move(event_object), nullptr};
    if (asynchronous) {
        watches_.push_back(std::move(watch));
        return ERROR_SUCCESS;
    }
    auto fired = std::make_shared<bool>(false);
    watch.fired = fired;
    watches_.push_back(std::move(watch));
    while (!*fired) {
        cv_.Wait(mu_);
    }
    return ERROR_SUCCESS;
}

void Registry::FireWatch(Watch& watch) {
    if (watch.event) {
        kernel_.Signal(watch.event);
    }
    if (watch.fired) {
        *watch.fired = true;
        cv_.NotifyAll();
    }
}

void Registry::Fire(const RegKey& changed, DWORD change) {
    for (auto it = watches_.begin(); it != watches_.end();) {
        const bool where =
            it->key.get() == &changed || (it->subtree && IsWithin(&changed, it->key.get()));
        if (where && (it->filter & change) != 0) {
            FireWatch(*it);
            it = watches_.erase(it);
        } else {
            ++it;
        }
    }
}

void Registry::EnsureKey(HKEY root, std::wstring_view path) {
    tsa::MutexLock lock(mu_);
    KeyPtr key;
    bool created = false;
    if (WalkOrCreate(RootOrThrow(root), path, &key, &created) != ERROR_SUCCESS) {
        throw std::invalid_argument("malformed registry path");
    }
}

bool Registry::KeyExists(HKEY root, std::wstring_view path) {
    tsa::MutexLock lock(mu_);
    KeyPtr key;
    return Walk(RootOrThrow(root), path, &key) == ERROR_SUCCESS;
}

bool Registry::RemoveKey(HKEY root, std::wstring_view path) {
    tsa::MutexLock lock(mu_);
    KeyPtr key;
    if (Walk(RootOrThrow(root), path, &key) != ERROR_SUCCESS || key->parent == nullptr) {
        return false;
    }
    RemoveSubtree(key);
    return true;
}

void Registry::Reset() {
    tsa::MutexLock lock(mu_);
    for (Watch& watch : watches_) {
        if (watch.fired) {
            FireWatch(watch);
        }
    }
    watches_.clear();
    handles_.clear();
    roots_.clear();
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS}) {
        roots_.emplace(FromHandle(root), std::make_shared<RegKey>());
    }
}

}  // namespace winsim::detail
