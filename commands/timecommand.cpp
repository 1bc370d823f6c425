#include "commands/timecommand.h"

#include "timecal/calendar.h"

namespace commands {

QString BuildTimeCommand(const rt::DateTime& utcNow) {
    const rt::DateTime t = rt::DateAdd(u"s", -6, utcNow);
    return QStringLiteral("**10#") + rt::FormatDate(t, u"ss") + rt::FormatDate(t, u"nn") +
           rt::FormatDate(t, u"HH") + Module2::DayOfWeekDigit(t) + rt::FormatDate(t, u"DD") +
           rt::FormatDate(t, u"MM") + rt::FormatDate(t, u"YY") + u'#';
}

} // namespace commands
