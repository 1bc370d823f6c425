#pragma once
// Calendar functions of the commands and displays: weekday digit and day of
// the year. Nothing here keeps state.

#include "runtime/dates.h"

#include <QString>
#include <algorithm>

namespace Module2 {

// Day of the week of the date of `t` as one digit, Sunday = "0". Computed with
// the month-key formula; between 1 March 1900 and 28 February 2100 it is the true
// weekday, outside that range it is the formula's answer.
QString DayOfWeekDigit(rt::DateTime t);

} // namespace Module2

namespace timecal {

// Ordinal day of the date within its year, 1 January = 1; the time of day does
// not count.
qint32 DayOfYear(const rt::DateTime& thisDate);

// A whole number narrowed to 16 bits, clamped rather than wrapped.
inline qint16 Narrow16(qint64 value) {
    return static_cast<qint16>(std::clamp<qint64>(value, -32768, 32767));
}

} // namespace timecal
