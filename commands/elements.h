// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The orbital-elements upload, built column by column from a two-line element
// set, and the reading of such a set from the text the operator pastes.

#include <QDate>
#include <QString>
#include <optional>

namespace commands {

// The two lines of an element set, each from its column 1.
struct ElementSet {
    QString line1;
    QString line2;
};

// Finds the element set in pasted text. Lines are split at CR LF, LF or CR and
// trimmed; a title line and empty lines are passed over: line 1 is the first
// line that starts with "1 ", line 2 the first line after it that starts with
// "2 ". Without such a pair the first two non-empty lines are taken as they are.
ElementSet readElementSet(const QString& text);

// What is wrong with the element set in pasted text, in one sentence for the
// operator, or nothing when the text holds exactly one well-formed set: an
// optional title line, then line 1 (beginning "1 ") and line 2 (beginning
// "2 "), each of 69 columns with the right checksum in column 69, the same
// satellite number on both lines, and an ASCII digit in every column the upload
// copies, but for the blanks the format pads its whole-number fields with. Line
// breaks of any style, empty lines and blanks around the lines do not matter.
std::optional<QString> elementSetProblem(const QString& text);

// Command 11 with the fixed selection of columns of both lines. A blank inside a
// copied column stands for a leading zero in the element-set format and is sent
// as "0"; every other character is copied as it stands.
QString buildElementsCommand(const ElementSet& set);

// The epoch date of line 1 (year from columns 19-20, day of year from 21-23), or
// nothing when those columns are not five digits naming a day of that year.
std::optional<QDate> epochDate(const QString& line1);

} // namespace commands
