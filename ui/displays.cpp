// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/displays.h"

#include "commands/elements.h"
#include "runtime/numbervalue.h"

#include <cmath>

namespace ui {

QString clockText(const QDateTime& utc, const QLocale& locale) {
    return locale.toString(utc.date(), QLocale::LongFormat) + u' ' + utc.toString(u"HH:mm:ss");
}

QString elementSetAgeText(const QString& line1, const QDate& today) {
    const std::optional<QDate> epoch = commands::epochDate(line1);
    if (!epoch) {
        return {};
    }
    return QStringLiteral("TLE is %1 days old").arg(epoch->daysTo(today));
}

bool packetRowValid(const QString& changed, const QString& left, const QString& right,
                    bool leftAtLeastRight) {
    const double l = runtime::numberValue(left);
    const double r = runtime::numberValue(right);
    if (!std::isfinite(l) || !std::isfinite(r)) {
        return false;
    }
    const bool ordered = leftAtLeastRight ? l >= r : l <= r;
    return ordered && changed.size() == 5;
}

} // namespace ui
