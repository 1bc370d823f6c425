// SPDX-License-Identifier: GPL-3.0-or-later
#include "timecal/clock.h"

#include <ctime>

namespace timecal {

QDateTime SystemClock::utcNow() const {
    return QDateTime::currentDateTimeUtc();
}

QDate SystemClock::localToday() const {
    ::tzset(); // the C library reads TZ once unless told to look again
    return QDate::currentDate();
}

} // namespace timecal
