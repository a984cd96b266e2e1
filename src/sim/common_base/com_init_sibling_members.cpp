#include "shared/com_init.h"

#include "sim/trace.h"

namespace ORV {

ComInit::ComInit(bool multiThreaded)
    : _hResInit(CoInitializeEx(
          nullptr,
          static_cast<DWORD>(multiThreaded ? COINIT_MULTITHREADED : COINIT_APARTMENTTHREADED))) {
    try {
        orvsim::TraceCall("ORV::ComInit", "ComInit", multiThreaded, _hResInit);
    } catch (...) {
        // No destructor runs for an object whose constructor throws: balance COM here.
        if (SUCCEEDED(_hResInit)) {
            CoUninitialize();
        }
        throw;
    }
}

ComInit::~ComInit() {
    orvsim::TraceCall("ORV::ComInit", "~ComInit", _hResInit);
    // Only a successful initialization (S_OK or S_FALSE) is balanced by CoUninitialize.
    if (SUCCEEDED(_hResInit)) {
        CoUninitialize();
    }
}

bool ComInit::isOK() const {
    const bool ok = SUCCEEDED(_hResInit);
    orvsim::TraceCall("ORV::ComInit", "isOK", ok);
    return ok;
}

}  // namespace ORV
