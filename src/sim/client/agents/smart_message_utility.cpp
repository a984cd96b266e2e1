#include "platform/agents/smart_message_utility.h"

#include "sim/client/client_control.h"
#include "sim/trace.h"
#include "winapi/windows_api.h"

namespace {

constexpr char kComponent[] = "ORV::SmartMessageV2::SmartMessageV2Utility";

bool DeleteStoredValue(const wchar_t* valueName) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, orvsim::kSmartMessageKeyPath, 0, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    const bool deleted = RegDeleteValueW(key, valueName) == ERROR_SUCCESS;
    RegCloseKey(key);
    return deleted;
}

}  // namespace

namespace ORV::SmartMessageV2 {

bool SmartMessageV2Utility::DeleteCachedMessageDigest() {
    const bool deleted = DeleteStoredValue(orvsim::kCachedMessageDigestValue);
    orvsim::TraceCall(kComponent, "DeleteCachedMessageDigest");
    return deleted;
}

bool SmartMessageV2Utility::DeleteEtag() {
    const bool deleted = DeleteStoredValue(orvsim::kEtagValue);
    orvsim::TraceCall(kComponent, "DeleteEtag");
    return deleted;
}

bool SmartMessageV2Utility::DeletePreviousDownloadDigestTimestamp() {
    const bool deleted = DeleteStoredValue(orvsim::kPreviousDownloadDigestTimestampValue);
    orvsim::TraceCall(kComponent, "DeletePreviousDownloadDigestTimestamp");
    return deleted;
}

}  // namespace ORV::SmartMessageV2
