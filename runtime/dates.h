#pragma once
// Date-time values and the date rules of the dialer.
//
// A DateTime is a naive calendar value: it carries year, month, day and time of
// day and nothing else. UTC and local values are not told apart, and arithmetic
// on them never applies a time-zone or daylight-saving shift. Internally it is a
// QDateTime pinned to UTC, which gives exactly that behaviour.

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace rt {

using DateTime = QDateTime;

DateTime MakeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
DateTime Naive(const QDate& date, const QTime& time = QTime(0, 0));
// The calendar fields of any QDateTime, as a naive value.
DateTime Naive(const QDateTime& value);

// DateAdd with interval "s" (seconds), "n" (minutes), "h" (hours) or "d" (days);
// carries into larger units. Any other interval leaves the value unchanged.
DateTime DateAdd(QStringView interval, qint64 count, const DateTime& date);

// DateDiff("d"): midnights between a and b, positive when b is later.
qint64 DateDiffDays(const DateTime& a, const DateTime& b);

// Date formatting with the codes "yyyy", "yy", "mm", "nn", "ss", "hh", "dd" and
// "dddddd" (the long date of `locale`). Codes are case-insensitive and the
// longest one matching is taken; "mm" means minutes where it follows an hour
// code with only ":" or blanks between. Every other character is copied.
QString FormatDate(const DateTime& value, QStringView format,
                   const QLocale& locale = QLocale::system());

} // namespace rt
