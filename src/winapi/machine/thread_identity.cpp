#include "winapi/machine/thread_identity.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>

#include "winapi/machine/handle_values.h"

namespace winsim::detail {

namespace {
std::atomic<uint64_t> g_next_token{1};
std::atomic<uintptr_t> g_next_handle{0x100};
thread_local DWORD t_last_error = 0;
thread_local DWORD t_thread_id = 0;
thread_local uint64_t t_owner_token = 0;
}  // namespace

uintptr_t NextHandleValue() {
    return g_next_handle.fetch_add(4, std::memory_order_relaxed);
}

DWORD LastError() {
    return t_last_error;
}

void SetLastErrorCode(DWORD code) {
    t_last_error = code;
}

DWORD CurrentThreadId() {
    // The kernel's thread id: the same number debuggers and ps show.
    if (t_thread_id == 0) {
        t_thread_id = static_cast<DWORD>(::syscall(SYS_gettid));
    }
    return t_thread_id;
}

uint64_t CurrentOwnerToken() {
    if (t_owner_token == 0) {
        t_owner_token = g_next_token.fetch_add(1, std::memory_order_relaxed);
    }
    return t_owner_token;
}

}  // namespace winsim::detail
