#include "winapi/control/com.h"

#include "winapi/machine/machine.h"

namespace winsim::com {

bool SecurityInitialized() {
    return detail::Machine::Get().com.SecurityInitialized();
}

}  // namespace winsim::com
