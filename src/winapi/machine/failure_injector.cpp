#include "winapi/machine/failure_injector.h"

#include <dlfcn.h>

#include <stdexcept>
#include <string_view>

namespace winsim::detail {

std::size_t FailureInjector::Index(Call call) {
    const auto index = static_cast<std::size_t>(call);
    if (index >= static_cast<std::size_t>(Call::kCount)) {
        throw std::invalid_argument("unknown platform call");
    }
    return index;
}

namespace {

// Whether `caller` lies in a loaded module whose file name contains `module`.
bool CalledFrom(const void* caller, std::string_view module) {
    Dl_info info{};
    if (caller == nullptr || dladdr(caller, &info) == 0 || info.dli_fname == nullptr) {
        return false;
    }
    const std::string_view path(info.dli_fname);
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return name.find(module) != std::string_view::npos;
}

}  // namespace

std::optional<LONG> FailureInjector::Check(Call call, const void* caller) {
    tsa::MutexLock lock(mu_);
    Entry& e = entries_[Index(call)];
    ++e.calls;
    if (!e.always && e.remaining == 0) {
        return std::nullopt;
    }
    if (!e.target.callerModule.empty() && !CalledFrom(caller, e.target.callerModule)) {
        return std::nullopt;
    }
    if (e.target.skip > 0) {
        --e.target.skip;
        return std::nullopt;
    }
    if (e.always) {
        return e.code;
    }
    if (e.remaining > 0) {
        --e.remaining;
        return e.code;
    }
    return std::nullopt;
}

void FailureInjector::FailNext(Call call, unsigned count, LONG code,
                               const failures::Target& target) {
    tsa::MutexLock lock(mu_);
    Entry& e = entries_[Index(call)];
    e.always = false;
    e.remaining = count;
    e.code = code;
    e.target = target;
}

void FailureInjector::FailAlways(Call call, LONG code, const failures::Target& target) {
    tsa::MutexLock lock(mu_);
    Entry& e = entries_[Index(call)];
    e.always = true;
    e.remaining = 0;
    e.code = code;
    e.target = target;
}

void FailureInjector::Clear(Call call) {
    tsa::MutexLock lock(mu_);
    Entry& e = entries_[Index(call)];
    e.always = false;
    e.remaining = 0;
    e.target = {};
}

void FailureInjector::ClearAll() {
    tsa::MutexLock lock(mu_);
    for (Entry& e : entries_) {
        e.always = false;
        e.remaining = 0;
        e.target = {};
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
