#include "ui/displays.h"

#include "commands/elements.h"
#include "runtime/textrules.h"

#include <cmath>

namespace ui {

QString ClockText(const rt::DateTime& utc, const QLocale& locale) {
    return rt::FormatDate(utc, u"dddddd hh:mm:ss", locale);
}

QString ElementSetAgeText(const QString& tleLine1, const QDate& today) {
    const std::optional<QDate> epoch = commands::EpochDate(tleLine1);
    if (!epoch) {
        return {};
    }
    return QStringLiteral("TLE is ") + rt::FormatWhole(double(epoch->daysTo(today))) +
           QStringLiteral(" days old");
}

bool PacketRowValid(const QString& changed, const QString& left, const QString& right,
                    bool leftAtLeastRight) {
    const double l = rt::Val(left);
    const double r = rt::Val(right);
    if (!std::isfinite(l) || !std::isfinite(r)) {
        return false;
    }
    const bool ordered = leftAtLeastRight ? l >= r : l <= r;
    return ordered && changed.size() == 5;
}

} // namespace ui
