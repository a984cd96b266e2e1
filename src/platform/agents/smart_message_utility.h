#pragma once

// The extension module's stored smart-message state: the entity tag (etag) and message digest
// of the last message download and the time stamp of the previous digest download. They live
// as values of the registry key HKEY_LOCAL_MACHINE\Software\Quelro\ORV\SmartMessage. Any
// thread.

namespace ORV::SmartMessageV2 {

class SmartMessageV2Utility {
  public:
    // Each deletes its value; true when the value existed and was deleted.
    static bool DeleteCachedMessageDigest();
    static bool DeleteEtag();
    static bool DeletePreviousDownloadDigestTimestamp();
};

}  // namespace ORV::SmartMessageV2
