#include "orvsvc/one_shot_event.h"

#include <algorithm>
#include <system_error>

namespace orvsvc {

OneShotEvent::OneShotEvent() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!event_) {
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                "CreateEventW");
    }
}

void OneShotEvent::Set() {
    SetEvent(event_.get());
}

bool OneShotEvent::IsSet() const {
    return WaitForSingleObject(event_.get(), 0) == WAIT_OBJECT_0;
}

void OneShotEvent::Wait() const {
    WaitForSingleObject(event_.get(), INFINITE);
}

bool OneShotEvent::WaitFor(std::chrono::milliseconds timeout) const {
    // INFINITE is all ones: longer timeouts are capped just below it.
    const auto capped =
        std::clamp<std::chrono::milliseconds::rep>(timeout.count(), 0, INFINITE - 1);
    return WaitForSingleObject(event_.get(), static_cast<DWORD>(capped)) == WAIT_OBJECT_0;
}

}  // namespace orvsvc
