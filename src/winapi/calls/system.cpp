// System information of the simulated machine.

#include "winapi/win32/system.h"

#include <thread>

#include "winapi/machine/machine.h"

namespace {

void Fill(LPSYSTEM_INFO info) {
    const WORD architecture = winsim::detail::Machine::Get().ProcessorArchitecture();
    *info = SYSTEM_INFO{};
    info->wProcessorArchitecture = architecture;
    info->dwPageSize = 4096;
    // The user address range of 64-bit Windows.
    info->lpMinimumApplicationAddress =
        reinterpret_cast<LPVOID>(uintptr_t{0x10000});  // NOLINT(performance-no-int-to-ptr)
    info->lpMaximumApplicationAddress =
        reinterpret_cast<LPVOID>(uintptr_t{0x7FFFFFFEFFFF});  // NOLINT(performance-no-int-to-ptr)
    const unsigned cpus = std::max(1u, std::thread::hardware_concurrency());
    info->dwNumberOfProcessors = cpus;
    info->dwActiveProcessorMask = cpus >= 64 ? ~DWORD_PTR{0} : (DWORD_PTR{1} << cpus) - 1;
    // PROCESSOR_AMD_X8664 or PROCESSOR_INTEL_PENTIUM; other architectures report 0.
    info->dwProcessorType = architecture == PROCESSOR_ARCHITECTURE_AMD64   ? 8664
                            : architecture == PROCESSOR_ARCHITECTURE_INTEL ? 586
                                                                           : 0;
    info->dwAllocationGranularity = 65536;
}

}  // namespace

extern "C" {

void WINAPI GetSystemInfo(LPSYSTEM_INFO lpSystemInfo) {
    Fill(lpSystemInfo);
}

void WINAPI GetNativeSystemInfo(LPSYSTEM_INFO lpSystemInfo) {
    Fill(lpSystemInfo);
}

}  // extern "C"
