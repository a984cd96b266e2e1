#include "platform/common_base/reg_util.h"

#include "sim/common_base/registry_access.h"
#include "sim/trace.h"

namespace ORV {

BOOL CRegUtil::GetRegValueOfStringType(HKEY root, std::wstring subKey, std::wstring valueName,
                                       std::wstring& value) {
    auto read = orvsim::registry::ReadString(root, subKey, valueName);
    orvsim::TraceCall("ORV::CRegUtil", "GetRegValueOfStringType", root, subKey, valueName,
                      read ? *read : std::wstring(L"<none>"));
    if (!read) {
        return FALSE;
    }
    value = std::move(*read);
    return TRUE;
}

BOOL CRegUtil::GetRegValueOfDwordType(HKEY root, std::wstring subKey, std::wstring valueName,
                                      DWORD& value) {
    auto read = orvsim::registry::ReadDword(root, subKey, valueName);
    orvsim::TraceCall("ORV::CRegUtil", "GetRegValueOfDwordType", root, subKey, valueName,
                      read ? std::to_string(*read) : std::string("<none>"));
    if (!read) {
        return FALSE;
    }
    value = *read;
    return TRUE;
}

}  // namespace ORV
