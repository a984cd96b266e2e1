#pragma once
// ORV::DeviceInfoProvider: the client's view of the device's identity and processor
// architecture. The shared-native library provides GetInstance and the behaviour behind every
// virtual slot; this library provides the default constructor and the virtual table, both
// exported.
//
// Virtual table, in slot order: GetMTM, GetSystemSerialNumber, GetRealSerialNumber,
// GetDeviceManufacturer, GetDeviceCategory, GetDeviceEnclosureType, GetDeviceFamily, GetMT,
// GetCPUArchitecture, Init, setForceRefresh, the destructor.
//
// Each slot is an inline forwarder to a non-virtual *Impl member that the shared-native
// library defines. With every virtual inline the class has no key function, so its virtual
// table is emitted where it is constructed, which is this library's constructor. Subclasses
// may override the slots as usual.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "shared/export.h"

class MachineInformation;
class SharedTypesTestPeer;

namespace ORV {

// The processor architecture as Windows numbers it (PROCESSOR_ARCHITECTURE_*). Owned by the
// shared-native library; 32-bit.
enum Architecture : std::uint32_t {
    ArchitectureX86 = 0,
    ArchitectureArm = 5,
    ArchitectureIa64 = 6,
    ArchitectureAmd64 = 9,
    ArchitectureArm64 = 12,
    ArchitectureUnknown = 0xFFFF,
};

class ORV_EXPORT DeviceInfoProvider {
  public:
    // Machine-type codes of the maker's own models, then ten empty strings, an unknown
    // architecture (0xFFFF), null platform values and no forced refresh.
    DeviceInfoProvider();

    // Shared-native library: the process-wide provider. The caller (the service) puts it under
    // a shared pointer that owns it.
    static DeviceInfoProvider* GetInstance();

    virtual std::wstring GetMTM() { return GetMTMImpl(); }
    virtual std::wstring GetSystemSerialNumber() { return GetSystemSerialNumberImpl(); }
    virtual std::wstring GetRealSerialNumber() { return GetRealSerialNumberImpl(); }
    virtual std::wstring GetDeviceManufacturer() { return GetDeviceManufacturerImpl(); }
    virtual std::wstring GetDeviceCategory() { return GetDeviceCategoryImpl(); }
    virtual std::wstring GetDeviceEnclosureType() { return GetDeviceEnclosureTypeImpl(); }
    virtual std::wstring GetDeviceFamily() { return GetDeviceFamilyImpl(); }
    virtual std::wstring GetMT() { return GetMTImpl(); }
    // 12 (ArchitectureArm64) means ARM64.
    virtual Architecture GetCPUArchitecture() { return GetCPUArchitectureImpl(); }
    // Fills the provider from the machine information; 0 on success.
    virtual unsigned long Init(std::shared_ptr<MachineInformation> machineInformation) {
        return InitImpl(std::move(machineInformation));
    }
    virtual void setForceRefresh(bool forceRefresh) { setForceRefreshImpl(forceRefresh); }
    virtual ~DeviceInfoProvider() = default;

  protected:
    // Shared-native library: the behaviour behind the slots above.
    std::wstring GetMTMImpl();
    std::wstring GetSystemSerialNumberImpl();
    std::wstring GetRealSerialNumberImpl();
    std::wstring GetDeviceManufacturerImpl();
    std::wstring GetDeviceCategoryImpl();
    std::wstring GetDeviceEnclosureTypeImpl();
    std::wstring GetDeviceFamilyImpl();
    std::wstring GetMTImpl();
    Architecture GetCPUArchitectureImpl();
    unsigned long InitImpl(std::shared_ptr<MachineInformation> machineInformation);
    void setForceRefreshImpl(bool forceRefresh);

    // Machine-type codes of the maker's own models that the shared-native library treats
    // specially (fields 1-3).
    std::wstring own_model_mt_1_;
    std::wstring own_model_mt_2_;
    std::wstring own_model_mt_3_;
    // Fields 4-13, empty until Init.
    std::wstring mtm_;
    std::wstring system_serial_number_;
    std::wstring real_serial_number_;
    std::wstring manufacturer_;
    std::wstring category_;
    std::wstring enclosure_type_;
    std::wstring family_;
    std::wstring mt_;
    std::wstring model_;
    std::wstring bios_version_;
    Architecture architecture_;  // 14
    void* platform_handle_;      // 15: two pointer-sized platform values,
    void* platform_context_;     //     never used by this library
    bool force_refresh_;         // 16

    friend class ::SharedTypesTestPeer;  // tests read the defaults
};

}  // namespace ORV
