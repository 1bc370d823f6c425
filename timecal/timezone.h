#pragma once
// Where the offset of local time from UTC comes from.

#include <QtGlobal>

namespace timecal {

// The three biases that decide the offset, in minutes, in the sense
// UTC = local time + bias.
struct TimeZoneRecord {
    qint32 bias = 0;
    qint32 standardBias = 0;
    qint32 daylightBias = 0;
};

enum class ZoneState { Unknown, Standard, Daylight };

class TimeZoneSource {
public:
    virtual ~TimeZoneSource() = default;
    // Fills `record` (which arrives zeroed) and says whether daylight saving time
    // is in force now. A failed query leaves the record as it is and answers
    // ZoneState::Unknown.
    virtual ZoneState query(TimeZoneRecord& record) const = 0;
};

// The system's zone as the zone database gives it, asked afresh at every call so
// that a change of the TZ variable or of the system zone takes effect at once.
class SystemTimeZone final : public TimeZoneSource {
public:
    ZoneState query(TimeZoneRecord& record) const override;
};

} // namespace timecal
