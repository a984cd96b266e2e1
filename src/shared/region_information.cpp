#include "shared/region_information.h"

#include "shared/string_fields.h"

using orv_shared_detail::AssignUnlessSame;

RegionInformation::RegionInformation(const RegionInformation& other) = default;

RegionInformation& RegionInformation::operator=(const RegionInformation& other) {
    AssignUnlessSame(region_name_, other.region_name_);
    AssignUnlessSame(country_name_, other.country_name_);
    AssignUnlessSame(country_code_, other.country_code_);
    AssignUnlessSame(language_name_, other.language_name_);
    AssignUnlessSame(language_code_, other.language_code_);
    AssignUnlessSame(region_info_datetime_, other.region_info_datetime_);
    return *this;
}

std::wstring RegionInformation::region_name() {
    return region_name_;
}
std::wstring RegionInformation::country_name() {
    return country_name_;
}
std::wstring RegionInformation::country_code() {
    return country_code_;
}
std::wstring RegionInformation::language_name() {
    return language_name_;
}
std::wstring RegionInformation::language_code() {
    return language_code_;
}
std::wstring RegionInformation::region_info_datetime() {
    return region_info_datetime_;
}

void RegionInformation::set_region_name(const std::wstring& value) {
    AssignUnlessSame(region_name_, value);
}
void RegionInformation::set_country_name(const std::wstring& value) {
    AssignUnlessSame(country_name_, value);
}
void RegionInformation::set_country_code(const std::wstring& value) {
    AssignUnlessSame(country_code_, value);
}
void RegionInformation::set_language_name(const std::wstring& value) {
    AssignUnlessSame(language_name_, value);
}
void RegionInformation::set_language_code(const std::wstring& value) {
    AssignUnlessSame(language_code_, value);
}
void RegionInformation::set_region_info_datetime(const std::wstring& value) {
    AssignUnlessSame(region_info_datetime_, value);
}
