#include "timecal/timezone.h"

#include <QDateTime>
#include <QTimeZone>
#include <ctime>

namespace timecal {

namespace {

// The local clock is read through the C library, so where Qt cannot name the zone
// (TZ holding the path of a zone file, for one) the C library's offset is the one
// that matches the clock. It gives only the total, which all goes in the bias.
ZoneState queryCLibrary(TimeZoneRecord& record) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (::localtime_r(&now, &local) == nullptr) {
        return ZoneState::Unknown;
    }
    record.bias = -static_cast<qint32>(local.tm_gmtoff / 60);
    return local.tm_isdst > 0 ? ZoneState::Daylight : ZoneState::Standard;
}

} // namespace

ZoneState SystemTimeZone::query(TimeZoneRecord& record) const {
    ::tzset(); // pick up a changed TZ variable or system zone
    const QTimeZone zone = QTimeZone::systemTimeZone();
    if (!zone.isValid()) {
        return queryCLibrary(record);
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
