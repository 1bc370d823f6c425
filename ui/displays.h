// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the window's status displays and packet rows show, apart from the
// widgets that show it.

#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace ui {

// The UTC clock: the long date of `locale`, a blank, then HH:mm:ss. Nothing
// marks the time as UTC.
QString clockText(const QDateTime& utc, const QLocale& locale);

// "TLE is N days old" from the epoch in line 1 to `today` (the local date);
// empty when line 1 holds no readable epoch.
QString elementSetAgeText(const QString& line1, const QDate& today);

// Backgrounds of a packet row's two boxes.
inline constexpr QRgb kRowValid = qRgb(192, 255, 192);   // light green
inline constexpr QRgb kRowInvalid = qRgb(255, 192, 192); // light red

// A packet row is valid when the changed box holds exactly five characters and
// the row's numbers are in order: left >= right for the pointer row, left <=
// right for the resend row. A number beyond the range of a double is never valid.
bool packetRowValid(const QString& changed, const QString& left, const QString& right,
                    bool leftAtLeastRight);

} // namespace ui
