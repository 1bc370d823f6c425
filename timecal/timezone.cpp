#include "timecal/timezone.h"

#include <QDateTime>
#include <QTimeZone>
#include <ctime>

namespace timecal {

ZoneState SystemTimeZone::query(TimeZoneRecord& record) const {
    ::tzset(); // pick up a changed TZ variable or system zone
    const QTimeZone zone = QTimeZone::systemTimeZone();
    if (!zone.isValid()) {
        return ZoneState::Unknown;
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const int standardSeconds = zone.standardTimeOffset(now);
    const int daylightSeconds = zone.daylightTimeOffset(now);
    record.bias = -standardSeconds / 60;
    record.standardBias = 0;
    if (zone.isDaylightTime(now)) {
        record.daylightBias = -daylightSeconds / 60;
        return ZoneState::Daylight;
    }
    // Out of summer time the zone database gives no daylight offset; the daylight
    // bias is not used then.
    return ZoneState::Standard;
}

} // namespace timecal
