#include "winapi/thread_start.h"

#include <cerrno>
#include <system_error>

#include "winapi/machine/machine.h"

namespace orvwin {

std::thread StartThread(std::function<void()> body) {
    using winsim::detail::Call;
    using winsim::detail::Machine;
    if (const auto code =
            Machine::Get().failures.Check(Call::CreateThread, __builtin_return_address(0))) {
        // What std::thread throws when the system refuses a thread; the code is an errno value.
        throw std::system_error(*code, std::generic_category());
    }
    return std::thread(std::move(body));
}

}  // namespace orvwin
