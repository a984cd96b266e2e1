#pragma once
// MachineInformation: the client's description of the device (identity of the machine and its
// firmware, operating system, neural processing unit, graphics adapters, extension data).
//
// The shared-native library owns the process-wide record (GetInstance), its default
// construction and its filling (ReInitialize). This library provides the accessors, the copy
// constructor, the copy assignment and the virtual table; they are exported.
//
// The record has no lock. The process-wide instance is shared through a shared pointer
// (orv::ORVHelperFactory); callers that refill it and callers that read it do not synchronise
// through the record.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "shared/export.h"

// Exported as a whole so that its virtual table and type information are visible to the
// sibling libraries. Member functions defined inline stay hidden.
class ORV_EXPORT MachineInformation {
  public:
    // Shared-native library.
    MachineInformation();
    static MachineInformation* GetInstance();
    void ReInitialize(bool force);

    // Slot 1 of the virtual table. Only destroys the members. Inline, so that the first
    // out-of-line virtual is device_manufacturer(), defined in this library, and the virtual
    // table is therefore emitted (and exported) here.
    virtual ~MachineInformation() = default;

    // Copies every member in declaration order; the copy's virtual table is the class's own.
    MachineInformation(const MachineInformation& other);
    // Assigns in declaration order; text fields and lists only when other is not *this,
    // scalars always. No move operations: moving a record copies it.
    MachineInformation& operator=(const MachineInformation& other);

    // Getters return a copy of the field. Slot 2 of the virtual table is device_manufacturer().
    std::wstring device_name();
    virtual std::wstring device_manufacturer();  // the only virtual accessor
    std::wstring device_brand();
    std::wstring device_subbrand();
    std::wstring device_family();
    std::wstring device_model();
    std::wstring device_mt();
    std::wstring device_enclosuretype();
    std::wstring device_bios_version();
    std::wstring device_bios_release_date();
    std::wstring device_ec_release_date();
    std::wstring device_bios_version_short();
    std::wstring device_image_info();
    std::wstring device_ec_version();
    std::wstring device_smbios_version();
    std::wstring serial_number();
    std::wstring baseboard_serial_number();
    std::wstring os_name();
    std::wstring os_version();
    std::wstring os_language();
    std::wstring os_region();
    std::wstring os_update_title();
    std::wstring os_update_description();
    std::wstring os_description();
    std::wstring device_info_datetime();
    std::wstring npu_exists();
    std::wstring npu_mfr();
    std::wstring npu_description();
    std::wstring device_tag();

    // Setters replace the field with a copy of value; passing the field itself changes nothing.
    void set_device_name(const std::wstring& value);
    void set_device_manufacturer(const std::wstring& value);
    void set_device_brand(const std::wstring& value);
    void set_device_subbrand(const std::wstring& value);
    void set_device_family(const std::wstring& value);
    void set_device_model(const std::wstring& value);
    void set_device_mt(const std::wstring& value);
    void set_device_enclosuretype(const std::wstring& value);
    void set_device_bios_version(const std::wstring& value);
    void set_device_bios_release_date(const std::wstring& value);
    void set_device_ec_release_date(const std::wstring& value);
    void set_device_bios_version_short(const std::wstring& value);
    void set_device_image_info(const std::wstring& value);
    void set_device_ec_version(const std::wstring& value);
    void set_device_smbios_version(const std::wstring& value);
    void set_serial_number(const std::wstring& value);
    void set_baseboard_serial_number(const std::wstring& value);
    void set_os_name(const std::wstring& value);
    void set_os_version(const std::wstring& value);
    void set_os_language(const std::wstring& value);
    void set_os_region(const std::wstring& value);
    void set_os_update_title(const std::wstring& value);
    void set_os_update_description(const std::wstring& value);
    void set_os_description(const std::wstring& value);
    void set_device_info_datetime(const std::wstring& value);
    void set_npu_exists(const std::wstring& value);
    void set_npu_mfr(const std::wstring& value);
    void set_npu_description(const std::wstring& value);
    void set_device_tag(const std::wstring& value);

    std::vector<std::wstring> device_extension_keyvalue();
    // Replaces the field's elements with copies of values' elements.
    void device_extension_keyvalue(std::vector<std::wstring> values);
    std::vector<std::wstring> gpu_names();  // no setter: only the shared-native library fills it

    bool os_is_s_mode();
    void set_os_is_s_mode(const bool& value);

  private:
    friend class SharedTypesTestPeer;  // tests reach the fields that have no accessor

    std::wstring device_name_;                             // 1
    std::wstring device_manufacturer_;                     // 2
    std::wstring device_brand_;                            // 3
    std::wstring device_subbrand_;                         // 4
    std::wstring device_family_;                           // 5
    std::wstring device_model_;                            // 6
    std::wstring device_mt_;                               // 7
    std::wstring device_enclosuretype_;                    // 8
    std::wstring device_bios_version_;                     // 9
    std::wstring device_bios_release_date_;                // 10
    std::wstring device_ec_release_date_;                  // 11
    std::wstring device_bios_version_short_;               // 12
    std::wstring device_image_info_;                       // 13
    std::wstring device_ec_version_;                       // 14
    std::wstring device_smbios_version_;                   // 15
    std::wstring serial_number_;                           // 16
    std::wstring baseboard_serial_number_;                 // 17
    std::wstring os_name_;                                 // 18
    std::wstring os_version_;                              // 19
    std::wstring os_language_;                             // 20
    std::wstring os_region_;                               // 21
    std::wstring os_update_title_;                         // 22
    std::wstring os_update_description_;                   // 23
    std::wstring os_description_;                          // 24
    std::wstring device_info_datetime_;                    // 25
    std::wstring npu_exists_;                              // 26
    std::wstring npu_mfr_;                                 // 27
    std::wstring npu_description_;                         // 28
    std::vector<std::wstring> device_extension_keyvalue_;  // 29
    std::vector<std::wstring> gpu_names_;                  // 30
    std::wstring device_tag_;                              // 31
    bool os_is_s_mode_ = false;                            // 32
    // 33, 34: platform data of the shared-native library, copied bytewise, never read here.
    std::array<std::uint8_t, 40> platform_block_{};
    std::uint8_t platform_flag_ = 0;
};
