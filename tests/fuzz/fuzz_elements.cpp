// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the reading of a pasted element set and the elements command built from its
// lines, each character made a DTMF symbol or kept as a blank: each line found is a
// trimmed line of the text, and the command holds only DTMF symbols, at most 88, in
// its fixed shape when both lines have all 69 columns; and a set that passes the check
// gives a whole command.
#include "commands/elements.h"

#include <QRegularExpression>
#include <cstdint>

#define CHECK(ok) ((ok) ? void() : __builtin_trap())

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    commands::ElementSet set = commands::readElementSet(text);
    const QString dtmf = "0123456789ABCD*# ";
    for (QString* line : {&set.line1, &set.line2}) {
        CHECK(*line == line->trimmed() && !line->contains(u'\n') && !line->contains(u'\r'));
        CHECK(text.contains(*line));
        for (QChar& c : *line)
            c = dtmf.contains(c) ? c : dtmf.at(c.unicode() % 16);
    }
    static const QRegularExpression symbols("^\\*\\*11#[0-9A-D*#]*#$");
    static const QRegularExpression shape("^.{9}A.{8}0A.{14}B.{4}A.{7}A.{14}A.{7}A.{6}A.{9}#$");
    // A set that passes the check goes out whole: 88 symbols, every one a DTMF symbol.
    if (!commands::elementSetProblem(text)) {
        const QString checked = commands::buildElementsCommand(commands::readElementSet(text));
        CHECK(symbols.match(checked).hasMatch() && shape.match(checked).hasMatch());
    }
    const QString command = commands::buildElementsCommand(set);
    CHECK(command.size() <= 88 && symbols.match(command).hasMatch());
    CHECK(set.line1.size() < 69 || set.line2.size() < 69 || shape.match(command).hasMatch());
    return 0;
}
