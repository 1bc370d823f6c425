#include "timecal/utcclock.h"

#include "timecal/calendar.h"

namespace Module2 {

qint16 GetUtcBiasMinutes(const timecal::TimeZoneSource& zone) {
    timecal::TimeZoneRecord record; // zero-filled: a failed query gives offset 0
    const timecal::ZoneState state = zone.query(record);
    const qint32 sum = state == timecal::ZoneState::Daylight ? record.bias + record.daylightBias
                                                             : record.standardBias + record.bias;
    // Real zones stay within a day; anything else is clamped rather than wrapped.
    return timecal::Narrow16(-qint64(sum));
}

qint16 GetUtcBiasMinutes() {
    return GetUtcBiasMinutes(timecal::SystemTimeZone());
}

rt::DateTime GetUtcNow(const timecal::TimeZoneSource& zone, const rt::Clock& clock) {
    const qint16 offset = GetUtcBiasMinutes(zone);
    return rt::DateAdd(u"n", -offset, clock.localNow());
}

rt::DateTime GetUtcNow() {
    return GetUtcNow(timecal::SystemTimeZone(), rt::SystemClock());
}

} // namespace Module2
