#pragma once
// What the window's status displays and packet rows show, apart from the
// widgets that show it.

#include "runtime/dates.h"

#include <QColor>
#include <QDate>
#include <QLocale>
#include <QString>

namespace ui {

// The UTC clock: the long date of `locale`, a blank, then hh:mm:ss.
QString ClockText(const rt::DateTime& utc, const QLocale& locale);

// "TLE is N days old" from the epoch in line 1 to `today` (the local date);
// empty when line 1 holds no readable epoch.
QString ElementSetAgeText(const QString& tleLine1, const QDate& today);

// Row colours, 0xBBGGRR as every colour of the window.
inline constexpr unsigned kRowValid = 0xC0FFC0;   // light green
inline constexpr unsigned kRowInvalid = 0xC0C0FF; // light red

// A packet row is valid when the changed box holds exactly five characters and
// the row's numbers are in order: left >= right for the pointer row, left <=
// right for the resend row. A number beyond the range of a double is never valid.
bool PacketRowValid(const QString& changed, const QString& left, const QString& right,
                    bool leftAtLeastRight);

} // namespace ui
