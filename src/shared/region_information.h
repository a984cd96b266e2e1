#pragma once
// RegionInformation: region, country and language settings of the device. A plain value
// record exchanged with the sibling libraries; this library provides its accessors, copy
// constructor and copy assignment. No lock; no move operations (moving copies).

#include <string>

#include "shared/export.h"

class RegionInformation {
  public:
    RegionInformation() = default;
    ORV_EXPORT RegionInformation(const RegionInformation& other);
    // Assigns each string unless other is *this.
    ORV_EXPORT RegionInformation& operator=(const RegionInformation& other);
    ~RegionInformation() = default;

    ORV_EXPORT std::wstring region_name();
    ORV_EXPORT std::wstring country_name();
    ORV_EXPORT std::wstring country_code();
    ORV_EXPORT std::wstring language_name();
    ORV_EXPORT std::wstring language_code();
    ORV_EXPORT std::wstring region_info_datetime();

    // Each setter replaces its field with a copy of value; passing the field itself changes
    // nothing.
    ORV_EXPORT void set_region_name(const std::wstring& value);
    ORV_EXPORT void set_country_name(const std::wstring& value);
    ORV_EXPORT void set_country_code(const std::wstring& value);
    ORV_EXPORT void set_language_name(const std::wstring& value);
    ORV_EXPORT void set_language_code(const std::wstring& value);
    ORV_EXPORT void set_region_info_datetime(const std::wstring& value);

  private:
    std::wstring region_name_;
    std::wstring country_name_;
    std::wstring country_code_;
    std::wstring language_name_;
    std::wstring language_code_;
    std::wstring region_info_datetime_;
};
