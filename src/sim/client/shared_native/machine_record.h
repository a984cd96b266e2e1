#pragma once
// The shared-native library's lock over MachineInformation records. The record has no lock of
// its own (its layout is the shared type's), yet several controls may refresh it at once and
// the library's own readers may read it meanwhile: ReInitialize fills a record under this
// lock and the device information provider reads one under it, so none sees another half-way.
// Lock order: this before the provider's own fields lock.

#include "base/annotated_mutex.h"

namespace orvsim::client {

tsa::Mutex& MachineRecordMutex();

}  // namespace orvsim::client
