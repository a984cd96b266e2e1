#pragma once
// Counts calls of the platform functions that can be made to fail, and decides whether
// the current call fails. Thread-safe.

#include <array>
#include <cstdint>
#include <optional>

#include "base/annotated_mutex.h"
#include "winapi/machine/failure_calls.h"
#include "winapi/win32/types.h"

namespace winsim::detail {

using failures::Call;

class FailureInjector {
  public:
    // Counts the call; returns the code it must fail with, if it must. `caller` is an address
    // in the code that called the platform function (null: unknown, never a module's call).
    std::optional<LONG> Check(Call call, const void* caller = nullptr) EXCLUDES(mu_);

    void FailNext(Call call, unsigned count, LONG code, const failures::Target& target = {})
        EXCLUDES(mu_);
    void FailAlways(Call call, LONG code, const failures::Target& target = {}) EXCLUDES(mu_);
    void Clear(Call call) EXCLUDES(mu_);
    void ClearAll() EXCLUDES(mu_);
    uint64_t CallCount(Call call) const EXCLUDES(mu_);
    // Clears failures and counts.
    void Reset() EXCLUDES(mu_);

  private:
    struct Entry {
        unsigned remaining = 0;
        bool always = false;
        LONG code = 0;
        uint64_t calls = 0;
        failures::Target target;
    };
    static std::size_t Index(Call call);

    mutable tsa::Mutex mu_;
    std::array<Entry, static_cast<std::size_t>(Call::kCount)> entries_ GUARDED_BY(mu_){};
};

}  // namespace winsim::detail
