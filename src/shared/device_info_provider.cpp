#include "shared/device_info_provider.h"

namespace ORV {

DeviceInfoProvider::DeviceInfoProvider()
    // Machine types of the maker's own models that the provider treats specially.
    : own_model_mt_1_(L"QA10"),
      own_model_mt_2_(L"QB20"),
      own_model_mt_3_(L"QC30"),
      architecture_(ArchitectureUnknown),
      platform_handle_(nullptr),
      platform_context_(nullptr),
      force_refresh_(false) {}

}  // namespace ORV
