#pragma once
// The UTC clock: UTC from the local clock and the time-zone settings. Nothing
// here keeps state.

#include "runtime/dates.h"
#include "runtime/services.h"
#include "timecal/timezone.h"

namespace Module2 {

// Local time minus UTC in whole minutes, daylight saving time included while it
// is in force. A failed time-zone query gives 0.
qint16 GetUtcBiasMinutes(const timecal::TimeZoneSource& zone);
qint16 GetUtcBiasMinutes();

// The current UTC date and time: the local clock moved by minus the offset. The
// zone is asked before the clock is read.
rt::DateTime GetUtcNow(const timecal::TimeZoneSource& zone, const rt::Clock& clock);
rt::DateTime GetUtcNow();

} // namespace Module2
