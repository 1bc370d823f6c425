#include "timecal/calendar.h"

#include "runtime/textrules.h"

#include <QStringList>
#include <cmath>

namespace Module2 {

QString DayOfWeekDigit(rt::DateTime t) {
    static const QStringList keys = QStringLiteral("5 1 1 4 6 2 4 0 3 5 1 3").split(u' ');
    auto field = [&t](QStringView format) {
        return timecal::Narrow16(qint64(rt::Val(rt::FormatDate(t, format))));
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
