#pragma once
// Reading the machine's COM state.

#include "winapi/windows_api.h"

namespace winsim::com {

// True once CoInitializeSecurity has succeeded in this process.
WINSIM_API bool SecurityInitialized();

}  // namespace winsim::com
