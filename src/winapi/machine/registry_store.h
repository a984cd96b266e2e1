#pragma once
// The registry: a tree of keys per predefined root, typed values, open key handles with
// their access rights, and one-shot change notifications. Key and value names compare
// without regard to case and keep the case they were created with. Thread-safe.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/annotated_mutex.h"
#include "winapi/machine/kernel.h"
#include "winapi/win32/registry.h"

namespace winsim::detail {

struct RegValue {
    std::wstring name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// Guarded by the mutex of the Registry that holds it.
struct RegKey {
    std::wstring name;
    RegKey* parent = nullptr;  // null for a root and for a deleted key
    std::map<std::wstring, std::shared_ptr<RegKey>> subkeys;  // by folded name, so sorted
    std::vector<RegValue> values;                             // in creation order
    bool deleted = false;
};

class Registry {
  public:
    explicit Registry(Kernel& kernel);

    // The Win32 calls; each returns the LSTATUS Windows would.
    LSTATUS OpenKey(HKEY base, const wchar_t* subkey, REGSAM access, HKEY* result) EXCLUDES(mu_);
    LSTATUS CreateKey(HKEY base, const wchar_t* subkey, REGSAM access, HKEY* result,
                      DWORD* disposition) EXCLUDES(mu_);
    LSTATUS CloseKey(HKEY key) EXCLUDES(mu_);
    LSTATUS GetValue(HKEY key, const wchar_t* subkey, const wchar_t* name, DWORD flags, DWORD* type,
                     void* data, DWORD* size) EXCLUDES(mu_);
    LSTATUS QueryValue(HKEY key, const wchar_t* name, DWORD* type, BYTE* data, DWORD* size)
        EXCLUDES(mu_);
    // `subkey` null: the value goes to `key` itself; otherwise to the subkey, created if
    // missing (RegSetKeyValueW).
    LSTATUS SetValue(HKEY key, const wchar_t* subkey, const wchar_t* name, DWORD type,
                     const BYTE* data, DWORD size) EXCLUDES(mu_);
    LSTATUS DeleteValue(HKEY key, const wchar_t* name) EXCLUDES(mu_);
    LSTATUS DeleteKey(HKEY key, const wchar_t* subkey) EXCLUDES(mu_);
    LSTATUS DeleteTree(HKEY key, const wchar_t* subkey) EXCLUDES(mu_);
    LSTATUS EnumKey(HKEY key, DWORD index, wchar_t* name, DWORD* name_chars) EXCLUDES(mu_);
    LSTATUS EnumValue(HKEY key, DWORD index, wchar_t* name, DWORD* name_chars, DWORD* type,
                      BYTE* data, DWORD* size) EXCLUDES(mu_);
    LSTATUS NotifyChange(HKEY key, bool subtree, DWORD filter, HANDLE event, bool asynchronous)
        EXCLUDES(mu_);

    // Full-rights access for the control API and the service manager. Paths are relative
    // to a predefined root; std::invalid_argument for another root or a malformed path.
    void Set(HKEY root, std::wstring_view path, std::wstring_view name, DWORD type,
             std::vector<BYTE> data) EXCLUDES(mu_);
    std::optional<RegValue> Get(HKEY root, std::wstring_view path, std::wstring_view name)
        EXCLUDES(mu_);
    void EnsureKey(HKEY root, std::wstring_view path) EXCLUDES(mu_);
    bool KeyExists(HKEY root, std::wstring_view path) EXCLUDES(mu_);
    bool RemoveValue(HKEY root, std::wstring_view path, std::wstring_view name) EXCLUDES(mu_);
    bool RemoveKey(HKEY root, std::wstring_view path) EXCLUDES(mu_);

    // Empty trees, no handles; pending synchronous notifications return.
    void Reset() EXCLUDES(mu_);

  private:
    using KeyPtr = std::shared_ptr<RegKey>;
    struct OpenKeyRef {
        KeyPtr key;
        REGSAM access = 0;
    };
    struct Watch {
        KeyPtr key;
        uintptr_t handle = 0;  // the HKEY it was registered through
        bool subtree = false;
        DWORD filter = 0;
        std::shared_ptr<KernelObject> event;  // asynchronous
        std::shared_ptr<bool> fired;          // synchronous
    };

    LSTATUS Resolve(HKEY key, OpenKeyRef* out) const REQUIRES(mu_);
    // As Resolve, then ERROR_ACCESS_DENIED unless the handle was opened with `needed`.
    LSTATUS Resolve(HKEY key, REGSAM needed, OpenKeyRef* out) const REQUIRES(mu_);
    KeyPtr Root(HKEY root) const REQUIRES(mu_);
    KeyPtr RootOrThrow(HKEY root) const REQUIRES(mu_);
    // Resolve, then the key `subkey` names below it (the key itself for null or "").
    LSTATUS ResolvePath(HKEY base, const wchar_t* subkey, KeyPtr* out) const REQUIRES(mu_);
    LSTATUS Walk(const KeyPtr& base, std::wstring_view path, KeyPtr* out) const REQUIRES(mu_);
    LSTATUS WalkOrCreate(const KeyPtr& base, std::wstring_view path, KeyPtr* out, bool* created)
        REQUIRES(mu_);
    HKEY AddHandle(KeyPtr key, REGSAM access) REQUIRES(mu_);
    void Store(RegKey& key, std::wstring_view name, DWORD type, std::vector<BYTE> data)
        REQUIRES(mu_);
    bool Erase(RegKey& key, std::wstring_view name) REQUIRES(mu_);
    void RemoveSubtree(const KeyPtr& key) REQUIRES(mu_);
    void Fire(const RegKey& changed, DWORD change) REQUIRES(mu_);
    void FireWatch(Watch& watch) REQUIRES(mu_);

    Kernel& kernel_;
    mutable tsa::Mutex mu_;
    tsa::CondVar cv_;  // synchronous notifications fired
    std::unordered_map<uintptr_t, KeyPtr> roots_ GUARDED_BY(mu_);
    std::unordered_map<uintptr_t, OpenKeyRef> handles_ GUARDED_BY(mu_);
    std::vector<Watch> watches_ GUARDED_BY(mu_);
};

// Registry name comparison key: upper case, as Windows compares names.
std::wstring FoldName(std::wstring_view name);

}  // namespace winsim::detail
