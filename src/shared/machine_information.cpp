#include "shared/machine_information.h"

// The 28 text fields in declaration order; device_tag (field 31) follows the two lists.
#define ORV_MACHINE_TEXT_FIELDS(X) \
    X(device_name)                 \
    X(device_manufacturer)         \
    X(device_brand)                \
    X(device_subbrand)             \
    X(device_family)               \
    X(device_model)                \
    X(device_mt)                   \
    X(device_enclosuretype)        \
    X(device_bios_version)         \
    X(device_bios_release_date)    \
    X(device_ec_release_date)      \
    X(device_bios_version_short)   \
    X(device_image_info)           \
    X(device_ec_version)           \
    X(device_smbios_version)       \
    X(serial_number)               \
    X(baseboard_serial_number)     \
    X(os_name)                     \
    X(os_version)                  \
    X(os_language)                 \
    X(os_region)                   \
    X(os_update_title)             \
    X(os_update_description)       \
    X(os_description)              \
    X(device_info_datetime)        \
    X(npu_exists)                  \
    X(npu_mfr)                     \
    X(npu_description)

#define ORV_DEFINE_TEXT_ACCESSORS(field)                              \
    std::wstring MachineInformation::field() {                        \
        return field##_;                                              \
    }                                                                 \
    void MachineInformation::set_##field(const std::wstring& value) { \
        if (&value != &field##_) {                                    \
            field##_ = value;                                         \
        }                                                             \
    }

ORV_MACHINE_TEXT_FIELDS(ORV_DEFINE_TEXT_ACCESSORS)
ORV_DEFINE_TEXT_ACCESSORS(device_tag)

MachineInformation::MachineInformation(const MachineInformation& other) = default;

MachineInformation& MachineInformation::operator=(const MachineInformation& other) {
    if (this != &other) {
#define ORV_ASSIGN_TEXT(field) field##_ = other.field##_;
        ORV_MACHINE_TEXT_FIELDS(ORV_ASSIGN_TEXT)
#undef ORV_ASSIGN_TEXT
        device_extension_keyvalue_ = other.device_extension_keyvalue_;
        gpu_names_ = other.gpu_names_;
        device_tag_ = other.device_tag_;
    }
    os_is_s_mode_ = other.os_is_s_mode_;
    platform_block_ = other.platform_block_;
    platform_flag_ = other.platform_flag_;
    return *this;
}

std::vector<std::wstring> MachineInformation::device_extension_keyvalue() {
    return device_extension_keyvalue_;
}

void MachineInformation::device_extension_keyvalue(std::vector<std::wstring> values) {
    if (&values != &device_extension_keyvalue_) {
        device_extension_keyvalue_.assign(values.begin(), values.end());
    }
}

std::vector<std::wstring> MachineInformation::gpu_names() {
    return gpu_names_;
}

bool MachineInformation::os_is_s_mode() {
    return os_is_s_mode_;
}

void MachineInformation::set_os_is_s_mode(const bool& value) {
    os_is_s_mode_ = value;
}
