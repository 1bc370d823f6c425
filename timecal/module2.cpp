#include "timecal/module2.h"

#include "runtime/textrules.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

qint16 narrow16(qint64 value) {
    // Real zones stay within a day; anything else is clamped rather than wrapped.
    return static_cast<qint16>(std::clamp<qint64>(value, -32768, 32767));
}

} // namespace

namespace Module2 {

qint16 GetUtcBiasMinutes(const timecal::TimeZoneSource& zone) {
    timecal::TimeZoneRecord record; // zero-filled: a failed query gives offset 0
    const timecal::ZoneState state = zone.query(record);
    const qint32 sum = state == timecal::ZoneState::Daylight ? record.bias + record.daylightBias
                                                             : record.standardBias + record.bias;
    return narrow16(-qint64(sum));
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

QString DayOfWeekDigit(rt::DateTime t) {
    static const QStringList keys = QStringLiteral("5 1 1 4 6 2 4 0 3 5 1 3").split(u' ');
    auto field = [&t](QStringView format) {
        return narrow16(qint64(rt::Val(rt::FormatDate(t, format))));
    };
    const qint16 y = field(u"yyyy");
    const qint16 m = field(u"mm");
    const qint16 d = field(u"dd");
    const double k = rt::Val(keys.at(m - 1));
    const double s = k + std::floor(y * 1.25) + d;
    qint32 r = static_cast<qint32>(s) % 7;
    if (y % 4 == 0 && m < 3) {
        r = (r + 6) % 7;
    }
    return QString::number(r);
}

} // namespace Module2

namespace timecal {

qint32 DayOfYear(const rt::DateTime& thisDate) {
    const int year = thisDate.date().year();
    const rt::DateTime start = rt::MakeDateTime(year, 1, 1);
    return static_cast<qint32>(rt::DateDiffDays(start, thisDate) + 1);
}

} // namespace timecal
