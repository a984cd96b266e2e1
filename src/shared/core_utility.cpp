#include "shared/core_utility.h"

namespace ORV {

const wchar_t CoreUtility::kORVRegistryPathW[] = L"Software\\Quelro\\ORV";

// No data: constructing sets the virtual table, assigning has nothing to do.
CoreUtility::CoreUtility() = default;
CoreUtility::CoreUtility(const CoreUtility& /*other*/) = default;
CoreUtility::CoreUtility(CoreUtility&& /*other*/) noexcept = default;
CoreUtility& CoreUtility::operator=(const CoreUtility& /*other*/) {
    return *this;
}
CoreUtility& CoreUtility::operator=(CoreUtility&& /*other*/) noexcept {
    return *this;
}

}  // namespace ORV
