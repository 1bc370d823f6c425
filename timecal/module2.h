#pragma once
// The time module: UTC from the local clock and the time-zone settings, and the
// calendar functions that the commands and displays use. Nothing here keeps state.

#include "runtime/dates.h"
#include "runtime/services.h"
#include "timecal/timezone.h"

#include <QString>

namespace Module2 {

// Local time minus UTC in whole minutes, daylight saving time included while it
// is in force. A failed time-zone query gives 0.
qint16 GetUtcBiasMinutes(const timecal::TimeZoneSource& zone);
qint16 GetUtcBiasMinutes();

// The current UTC date and time: the local clock moved by minus the offset. The
// zone is asked before the clock is read.
rt::DateTime GetUtcNow(const timecal::TimeZoneSource& zone, const rt::Clock& clock);
rt::DateTime GetUtcNow();

// Day of the week of the date of `t` as one digit, Sunday = "0". Computed with
// the month-key formula; between 1 March 1900 and 28 February 2100 it is the true
// weekday, outside that range it is the formula's answer.
QString DayOfWeekDigit(rt::DateTime t);

} // namespace Module2

namespace timecal {

// Ordinal day of the date within its year, 1 January = 1; the time of day does
// not count.
qint32 DayOfYear(const rt::DateTime& thisDate);

} // namespace timecal
