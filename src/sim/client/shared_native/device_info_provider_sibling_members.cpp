// ORV::DeviceInfoProvider's members of the shared-native library. The processor architecture
// comes from the simulated machine (GetNativeSystemInfo); the identity fields from the machine
// information given to Init.

#include "shared/device_info_provider.h"

#include "base/annotated_mutex.h"
#include "shared/machine_information.h"
#include "sim/client/owned_instance.h"
#include "sim/client/shared_native/machine_record.h"
#include "sim/trace.h"
#include "winapi/windows_api.h"

namespace {

constexpr char kComponent[] = "ORV::DeviceInfoProvider";

// The class has no lock of its own; this one guards the fields of every provider, which Init
// writes on the worker thread while other threads may read them.
tsa::Mutex g_fieldsMutex;

// The instance GetInstance hands out; its destructor tells GetInstance that it is gone.
class ProcessProvider final : public ORV::DeviceInfoProvider {
  public:
    ~ProcessProvider() override;
};

orvsim::client::OwnedInstance<ORV::DeviceInfoProvider>& Instance() {
    static orvsim::client::OwnedInstance<ORV::DeviceInfoProvider> instance;
    return instance;
}

ProcessProvider::~ProcessProvider() {
    Instance().Forget(this);
}

ORV::Architecture MachineArchitecture() {
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    return static_cast<ORV::Architecture>(info.wProcessorArchitecture);
}

// The device category that the SMBIOS chassis (enclosure) type stands for.
std::wstring CategoryOf(const std::wstring& enclosureType) {
    static const wchar_t* const kPortable[] = {L"8", L"9", L"10", L"14", L"30", L"31", L"32"};
    for (const wchar_t* code : kPortable) {
        if (enclosureType == code) {
            return L"Notebook";
        }
    }
    return enclosureType.empty() ? std::wstring() : std::wstring(L"Desktop");
}

}  // namespace

namespace ORV {

DeviceInfoProvider* DeviceInfoProvider::GetInstance() {
    orvsim::TraceCall(kComponent, "GetInstance");
    return Instance().Get([] { return new ProcessProvider(); });
}

std::wstring DeviceInfoProvider::GetMTMImpl() {
    orvsim::TraceCall(kComponent, "GetMTM");
    tsa::MutexLock lock(g_fieldsMutex);
    return mtm_;
}

std::wstring DeviceInfoProvider::GetSystemSerialNumberImpl() {
    orvsim::TraceCall(kComponent, "GetSystemSerialNumber");
    tsa::MutexLock lock(g_fieldsMutex);
    return system_serial_number_;
}

std::wstring DeviceInfoProvider::GetRealSerialNumberImpl() {
    orvsim::TraceCall(kComponent, "GetRealSerialNumber");
    tsa::MutexLock lock(g_fieldsMutex);
    return real_serial_number_;
}

std::wstring DeviceInfoProvider::GetDeviceManufacturerImpl() {
    orvsim::TraceCall(kComponent, "GetDeviceManufacturer");
    tsa::MutexLock lock(g_fieldsMutex);
    return manufacturer_;
}

std::wstring DeviceInfoProvider::GetDeviceCategoryImpl() {
    orvsim::TraceCall(kComponent, "GetDeviceCategory");
    tsa::MutexLock lock(g_fieldsMutex);
    return category_;
}

std::wstring DeviceInfoProvider::GetDeviceEnclosureTypeImpl() {
    orvsim::TraceCall(kComponent, "GetDeviceEnclosureType");
    tsa::MutexLock lock(g_fieldsMutex);
    return enclosure_type_;
}

std::wstring DeviceInfoProvider::GetDeviceFamilyImpl() {
    orvsim::TraceCall(kComponent, "GetDeviceFamily");
    tsa::MutexLock lock(g_fieldsMutex);
    return family_;
}

std::wstring DeviceInfoProvider::GetMTImpl() {
    orvsim::TraceCall(kComponent, "GetMT");
    tsa::MutexLock lock(g_fieldsMutex);
    return mt_;
}

Architecture DeviceInfoProvider::GetCPUArchitectureImpl() {
    // Asked of the machine each time: the field is only Init's snapshot.
    const Architecture architecture = MachineArchitecture();
    orvsim::TraceCall(kComponent, "GetCPUArchitecture");
    return architecture;
}

unsigned long DeviceInfoProvider::InitImpl(std::shared_ptr<MachineInformation> machineInformation) {
    orvsim::TraceCall(kComponent, "Init", static_cast<const void*>(machineInformation.get()));
    if (machineInformation == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    tsa::MutexLock record(orvsim::client::MachineRecordMutex());
    const std::wstring mtm = machineInformation->device_mt();
    const std::wstring enclosure = machineInformation->device_enclosuretype();
    tsa::MutexLock lock(g_fieldsMutex);
    mtm_ = mtm;
    mt_ = mtm.substr(0, 4);  // the machine type is the model code's first four characters
    system_serial_number_ = machineInformation->serial_number();
    real_serial_number_ = system_serial_number_;
    manufacturer_ = machineInformation->device_manufacturer();
    enclosure_type_ = enclosure;
    category_ = CategoryOf(enclosure);
    family_ = machineInformation->device_family();
    model_ = machineInformation->device_model();
    bios_version_ = machineInformation->device_bios_version();
    architecture_ = MachineArchitecture();
    return ERROR_SUCCESS;
}

void DeviceInfoProvider::setForceRefreshImpl(bool forceRefresh) {
    orvsim::TraceCall(kComponent, "setForceRefresh", forceRefresh);
    tsa::MutexLock lock(g_fieldsMutex);
    force_refresh_ = forceRefresh;
}

}  // namespace ORV
