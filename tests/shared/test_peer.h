#pragma once
// Reaches the fields of the shared types that have no accessor, so that tests can arrange
// and check them. Befriended by those types.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "shared/device_info_provider.h"
#include "shared/machine_information.h"
#include "shared/named_pipe.h"
#include "shared/operational_events_manager.h"

class SharedTypesTestPeer {
  public:
    static std::array<std::uint8_t, 40>& Block(MachineInformation& m) { return m.platform_block_; }
    static std::uint8_t& Flag(MachineInformation& m) { return m.platform_flag_; }
    static std::vector<std::wstring>& GpuNames(MachineInformation& m) { return m.gpu_names_; }
    static std::wstring& DeviceName(MachineInformation& m) { return m.device_name_; }

    using Provider = ORV::DeviceInfoProvider;
    static std::vector<const std::wstring*> OwnModelCodes(const Provider& p) {
        return {&p.own_model_mt_1_, &p.own_model_mt_2_, &p.own_model_mt_3_};
    }
    static std::vector<const std::wstring*> FurtherStrings(const Provider& p) {
        return {&p.mtm_,
                &p.system_serial_number_,
                &p.real_serial_number_,
                &p.manufacturer_,
                &p.category_,
                &p.enclosure_type_,
                &p.family_,
                &p.mt_,
                &p.model_,
                &p.bios_version_};
    }
    static ORV::Architecture Architecture(const Provider& p) { return p.architecture_; }
    static bool PlatformValuesNullAndNoRefresh(const Provider& p) {
        return p.platform_handle_ == nullptr && p.platform_context_ == nullptr && !p.force_refresh_;
    }

    static std::vector<std::uint64_t> CloudSyncFields(const ORV::OperationalEventsCloudSync& s) {
        return {s.batch_size_,       s.max_retries_,      s.upload_interval_ms_, s.retry_delay_ms_,
                s.backoff_step_ms_,  s.max_backoff_ms_,   s.uploaded_count_,     s.failed_count_,
                s.last_upload_time_, s.next_upload_time_, s.last_error_.size()};
    }

    static long QueueUseCount(const ORV::OperationalEventsManager& m) {
        return m.queue_.use_count();
    }
    static long SyncUseCount(const ORV::OperationalEventsManager& m) { return m.sync_.use_count(); }
    static std::wstring& Realm(ORV::OperationalEventsManager& m) { return m.realm_; }

    static CNamedPipeServer::RequestHandler& RequestHandler(CNamedPipeServer& s) {
        return s.request_handler_;
    }
    static CNamedPipeServer::ConnectionHandler& ConnectionHandler(CNamedPipeServer& s) {
        return s.connection_handler_;
    }
};
