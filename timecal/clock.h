// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The computer's clock, as the dialer reads it: UTC for the clock display and
// the time-set command, and the local calendar date for the element set's age.
// Behind an interface, so that what depends on the time can be tried at any
// moment and in any zone.

#include <QDate>
#include <QDateTime>

namespace timecal {

class Clock {
public:
    virtual ~Clock() = default;
    // The current UTC date and time.
    virtual QDateTime utcNow() const = 0;
    // Today's date in the computer's local time zone, daylight saving included.
    virtual QDate localToday() const = 0;
};

// The system's clock and zone, asked afresh at every call, so that a change of
// the zone (or of TZ) counts from the next call on.
class SystemClock final : public Clock {
public:
    QDateTime utcNow() const override;
    QDate localToday() const override;
};

} // namespace timecal
