#include "shared/orv_info.h"

#include "shared/string_fields.h"

using orv_shared_detail::AssignUnlessSame;

OrvInfo::OrvInfo(const OrvInfo& other) = default;

OrvInfo& OrvInfo::operator=(const OrvInfo& other) {
    AssignUnlessSame(service_version_, other.service_version_);
    AssignUnlessSame(client_version_, other.client_version_);
    AssignUnlessSame(product_name_, other.product_name_);
    AssignUnlessSame(install_path_, other.install_path_);
    AssignUnlessSame(build_date_, other.build_date_);
    AssignUnlessSame(info_datetime_, other.info_datetime_);
    return *this;
}
