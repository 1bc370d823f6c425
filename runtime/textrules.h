#pragma once
// Text and number rules that every part of the dialer relies on, so that the
// strings and numbers it produces never depend on a library's mood.

#include <QString>

namespace rt {

// Numeric value of text: blanks, tabs and line feeds are skipped wherever they
// stand; then an optional sign, digits, a decimal point with digits and an
// exponent (E or D) are read up to the first character that cannot continue the
// number. "&H" and "&O" start a hexadecimal or octal integer. No leading number
// gives 0. A value beyond the range of a double comes back as an infinity.
double Val(const QString& text);

// 1-based substring of up to `count` characters; fewer where the text ends
// first, empty where `start` lies beyond the end.
QString Mid(const QString& text, qsizetype start, qsizetype count);

// The last `count` characters (all of them if the text is shorter).
QString Right(const QString& text, qsizetype count);

// Whole-number format "0": no leading zeros, "-" for negatives, halves rounded
// away from zero.
QString FormatWhole(double value);

} // namespace rt
