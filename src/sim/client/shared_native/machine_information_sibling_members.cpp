// MachineInformation's members of the shared-native library: the process-wide record and its
// filling from the simulated machine (registry values where Windows keeps them, the SMBIOS
// manufacturer as the common base arranges it, the machine's clock).

#include "shared/machine_information.h"

#include <fmt/chrono.h>
#include <fmt/xchar.h>

#include <ctime>

#include "sim/client/owned_instance.h"
#include "sim/client/shared_native/machine_record.h"
#include "sim/client/shared_native/registry_reader.h"
#include "sim/common_base/environment_control.h"
#include "sim/trace.h"
#include "winapi/windows_api.h"

namespace {

constexpr char kComponent[] = "MachineInformation";

constexpr wchar_t kComputerNameKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName";
constexpr wchar_t kBiosKey[] = L"HARDWARE\\DESCRIPTION\\System\\BIOS";
constexpr wchar_t kWindowsKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr wchar_t kCodeIntegrityKey[] = L"SYSTEM\\CurrentControlSet\\Control\\CI\\Policy";

// The instance GetInstance hands out; its destructor tells GetInstance that it is gone.
class ProcessRecord final : public MachineInformation {
  public:
    ~ProcessRecord() override;
};

orvsim::client::OwnedInstance<MachineInformation>& Instance() {
    static orvsim::client::OwnedInstance<MachineInformation> instance;
    return instance;
}

ProcessRecord::~ProcessRecord() {
    Instance().Forget(this);
}

// Now, on the machine's clock, as UTC in ISO 8601.
std::wstring MachineTimeText() {
    const std::time_t now = static_cast<std::time_t>(_time64(nullptr));
    return fmt::format(L"{:%Y-%m-%dT%H:%M:%SZ}", fmt::gmtime(now));
}

}  // namespace

MachineInformation::MachineInformation() = default;

MachineInformation* MachineInformation::GetInstance() {
    orvsim::TraceCall(kComponent, "GetInstance");
    return Instance().Get([] {
        auto* record = new ProcessRecord();
        orvsim::TraceSilence quiet;
        record->ReInitialize(true);
        return record;
    });
}

namespace orvsim::client {

tsa::Mutex& MachineRecordMutex() {
    static tsa::Mutex mutex;
    return mutex;
}

}  // namespace orvsim::client

void MachineInformation::ReInitialize(bool force) {
    orvsim::TraceCall(kComponent, "ReInitialize", force);
    tsa::MutexLock lock(orvsim::client::MachineRecordMutex());
    if (!force && !device_info_datetime_.empty()) {
        return;  // filled before; only a forced refresh reads the machine again
    }
    using orvsim::client::ReadRegistryString;
    device_name_ = ReadRegistryString(kComputerNameKey, L"ComputerName");
    device_manufacturer_ = orvsim::ArrangedManufacturer();
    device_brand_ = ReadRegistryString(kBiosKey, L"SystemVersion");
    device_family_ = ReadRegistryString(kBiosKey, L"SystemFamily");
    device_model_ = ReadRegistryString(kBiosKey, L"SystemProductName");
    device_mt_ = ReadRegistryString(kBiosKey, L"SystemSKU");
    device_bios_version_ = ReadRegistryString(kBiosKey, L"BIOSVersion");
    device_bios_release_date_ = ReadRegistryString(kBiosKey, L"BIOSReleaseDate");
    baseboard_serial_number_ = ReadRegistryString(kBiosKey, L"BaseBoardSerialNumber");
    serial_number_ = ReadRegistryString(kBiosKey, L"SystemSerialNumber");
    os_name_ = ReadRegistryString(kWindowsKey, L"ProductName");
    os_version_ = ReadRegistryString(kWindowsKey, L"CurrentBuild");
    os_description_ = ReadRegistryString(kWindowsKey, L"EditionID");
    os_is_s_mode_ =
        orvsim::client::ReadRegistryDword(kCodeIntegrityKey, L"SkuPolicyRequired").value_or(0) == 1;
    npu_exists_ = L"false";
    device_info_datetime_ = MachineTimeText();
}
