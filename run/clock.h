#pragma once

// The run's clock: read once per run, so that every output that prints a
// date shows the same instant, and injected, so that tests fix the instant.

#include <functional>

#include "report/local_date_time.h"

namespace kalvorden {

using ClockReader = std::function<LocalDateTime()>;

// The local date and time of this machine, read once.
LocalDateTime ReadLocalClock();

}  // namespace kalvorden
