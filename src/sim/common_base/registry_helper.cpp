#include "platform/common_base/registry_helper.h"

#include "sim/common_base/registry_access.h"
#include "sim/trace.h"

namespace ORV {
namespace {

constexpr char kComponent[] = "ORV::RegistryHelper";

}  // namespace

RegistryHelper::RegistryHelper() {
    orvsim::TraceCall(kComponent, "RegistryHelper");
}

std::optional<std::wstring> RegistryHelper::ReadString(HKEY root, const std::wstring& subKey,
                                                       const std::wstring& valueName) {
    orvsim::TraceCall(kComponent, "ReadString", root, subKey, valueName);
    return orvsim::registry::ReadString(root, subKey, valueName);
}

std::optional<DWORD> RegistryHelper::ReadDword(HKEY root, const std::wstring& subKey,
                                               const std::wstring& valueName) {
    orvsim::TraceCall(kComponent, "ReadDword", root, subKey, valueName);
    return orvsim::registry::ReadDword(root, subKey, valueName);
}

bool RegistryHelper::WriteString(HKEY root, const std::wstring& subKey,
                                 const std::wstring& valueName, const std::wstring& value) {
    const bool written = orvsim::registry::WriteString(root, subKey, valueName, value);
    orvsim::TraceCall(kComponent, "WriteString", root, subKey, valueName, value);
    return written;
}

bool RegistryHelper::WriteDword(HKEY root, const std::wstring& subKey,
                                const std::wstring& valueName, DWORD value) {
    const bool written = orvsim::registry::WriteDword(root, subKey, valueName, value);
    orvsim::TraceCall(kComponent, "WriteDword", root, subKey, valueName, value);
    return written;
}

}  // namespace ORV
