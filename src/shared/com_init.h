#pragma once
// ORV::ComInit: COM for the calling thread, for as long as the object lives. One 32-bit value
// and nothing else: the HRESULT of the initialisation.
//
// The common base library provides ComInit(bool), the destructor (which ends COM on the
// thread when the initialisation succeeded) and isOK; this library provides the default
// constructor and the copy assignment, exported. An object belongs to the thread that built
// it.

#include "shared/export.h"
#include "winapi/windows_api.h"

namespace ORV {

class ComInit {
  public:
    // Common base library. multiThreaded: initialise a multi-threaded apartment rather than
    // an apartment-threaded one.
    explicit ComInit(bool multiThreaded);
    ~ComInit();
    // True when COM is usable on this thread (the initialisation succeeded or COM was already
    // initialised in the same mode).
    bool isOK() const;

    // ComInit(false).
    ORV_EXPORT ComInit();
    // Copies the HRESULT only.
    ORV_EXPORT ComInit& operator=(const ComInit& other);
    ComInit(const ComInit&) = delete;  // a second owner would end COM twice

    HRESULT _hResInit;  // of CoInitializeEx
};

}  // namespace ORV
