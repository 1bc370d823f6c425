// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The numeric value of typed text, by the rules the packet number boxes have
// always used. Qt's own readers (QString::toDouble, QLocale) refuse text that
// has anything after the number, and know neither blanks inside it nor "&H"/"&O"
// nor a "D" exponent, so this one is written out.

#include <QStringView>

namespace runtime {

// Blanks, tabs and line feeds are skipped wherever they stand; then an optional
// sign, digits, a decimal point with digits and an exponent (E or D) are read up
// to the first character that cannot continue the number. "&H" and "&O" start a
// hexadecimal or octal integer. No leading number gives 0. A value beyond the
// range of a double comes back as an infinity, one too small as zero.
double numberValue(QStringView text);

} // namespace runtime
