#include "winapi/machine/failure_injector.h"

#include <stdexcept>

namespace winsim::detail {

std::size_t FailureInjector::Index(Call call) {
    const auto index = static_cast<std::size_t>(call);
    if (index >= static_cast<std::size_t>(Call::kCount)) {
        throw std::invalid_argument("unknown platform call");
    }
    return index;
}

std::optional<LONG> FailureInjector::Check(Call call) {
    tsa::MutexLock lock(mu_);
    Entry& e = entries_[Index(call)];
    ++e.calls;
    if (e.always) {
        return e.code;
    }
    if (e.remaining > 0) {
        --e.remaining;
        return e.code;
    }
    return std::nullopt;
}

void FailureInjector::FailNext(Call call, unsigned count, LONG code) {
    tsa::MutexLock lock(mu_);
    Entry& e = entries_[Index(call)];
    e.always = false;
    e.remaining = count;
    e.code = code;
}

void FailureInjector::FailAlways(Call call, LONG code) {
    tsa::MutexLock lock(mu_);
    Entry& e = entries_[Index(call)];
    e.always = true;
    e.remaining = 0;
    e.code = code;
}

void FailureInjector::Clear(Call call) {
    tsa::MutexLock lock(mu_);
    Entry& e = entries_[Index(call)];
    e.always = false;
    e.remaining = 0;
}

void FailureInjector::ClearAll() {
    tsa::MutexLock lock(mu_);
    for (Entry& e : entries_) {
        e.always = false;
        e.remaining = 0;
    }
}

uint64_t FailureInjector::CallCount(Call call) const {
    tsa::MutexLock lock(mu_);
    return entries_[Index(call)].calls;
}

void FailureInjector::Reset() {
    tsa::MutexLock lock(mu_);
    entries_.fill(Entry{});
}

}  // namespace winsim::detail
