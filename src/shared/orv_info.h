#pragma once
// OrvInfo: version and product texts of the client, six wide strings. The shared-native
// library provides GetInstance and GetOrvServiceVersion; this library provides the copy
// constructor and copy assignment, exported. No lock: the process-wide instance is filled
// when it is created and only read afterwards.

#include <string>

#include "shared/export.h"

class OrvInfo {
  public:
    OrvInfo() = default;
    ~OrvInfo() = default;

    // Copies the six strings in order.
    ORV_EXPORT OrvInfo(const OrvInfo& other);
    // Assigns each string unless other is *this.
    ORV_EXPORT OrvInfo& operator=(const OrvInfo& other);

    // Shared-native library: the process-wide instance, filled on first use.
    static OrvInfo* GetInstance();
    // The service's version as text, e.g. "1.2.3.4".
    std::wstring GetOrvServiceVersion();

  private:
    std::wstring service_version_;
    std::wstring client_version_;
    std::wstring product_name_;
    std::wstring install_path_;
    std::wstring build_date_;
    std::wstring info_datetime_;
};
