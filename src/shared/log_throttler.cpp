#include "shared/log_throttler.h"

#include <utility>

// The client's other libraries size their copies of this map by its entries.
static_assert(sizeof(std::pair<const std::wstring, LogThrottler::Entry>) == 128);

LogThrottler::LogThrottler() = default;

// Reverse declaration order: the mutex, then the map.
LogThrottler::~LogThrottler() = default;
