#include "winapi/thread_start.h"

#include <utility>

namespace orvwin {

// Windows has no arranged failures: a refused thread surfaces from std::thread itself.
std::thread StartThread(std::function<void()> body) {
    return std::thread(std::move(body));
}

}  // namespace orvwin
