// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/timecommand.h"

namespace commands {

QString buildTimeCommand(const QDateTime& utcNow) {
    const QDateTime t = utcNow.toUTC().addSecs(-6);
    // The weekday as the spacecraft counts it: Sunday = 0 to Saturday = 6.
    const QChar weekday(u'0' + t.date().dayOfWeek() % 7);
    return QStringLiteral("**10#") + t.toString(u"ssmmHH") + weekday + t.toString(u"ddMMyy") + u'#';
}

} // namespace commands
