// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/elements.h"

#include <QList>
#include <array>

namespace commands {
namespace {

QString nextLine(const QString& text, qsizetype& pos) {
    const qsizetype start = pos;
    while (pos < text.size() && text.at(pos) != u'\r' && text.at(pos) != u'\n') {
        ++pos;
    }
    QString line = text.mid(start, pos - start).trimmed();
    if (pos < text.size()) {
        // CR LF counts as one break.
        pos +=
            (text.at(pos) == u'\r' && pos + 1 < text.size() && text.at(pos + 1) == u'\n') ? 2 : 1;
    }
    return line;
}

} // namespace

ElementSet readElementSet(const QString& text) {
    ElementSet found;    // the "1 " / "2 " pair
    ElementSet firstTwo; // the first two non-empty lines, as a fall-back
    int nonEmpty = 0;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const QString line = nextLine(text, pos);
        if (line.isEmpty()) {
            continue;
        }
        if (nonEmpty == 0) {
            firstTwo.line1 = line;
        } else if (nonEmpty == 1) {
            firstTwo.line2 = line;
        }
        ++nonEmpty;
        if (found.line1.isEmpty()) {
            if (line.startsWith(u"1 ")) {
                found.line1 = line;
            }
        } else if (line.startsWith(u"2 ")) {
            found.line2 = line;
            return found;
        }
    }
    return firstTwo;
}

namespace {

// One piece of the command: a literal, or `count` characters of a line from
// column `column`. A piece of a whole-number field that the format pads with
// leading blanks gives the field's first and last columns.
struct Piece {
    QStringView literal;
    int line = 0;
    int column = 0;
    int count = 0;
    int paddedFrom = 0;
    int paddedTo = 0;
};

// clang-format off
constexpr std::array<Piece, 28> kPieces{{
    {u"**11#"},
    {{}, 1, 20, 4},         // last digit of the epoch year, day of year
    {u"A"},
    {{}, 1, 25, 8},         // fraction of the epoch day
    {u"0A"},
    {{}, 1, 36, 8},         // first derivative of mean motion, without its sign
    {{}, 1, 52, 1},         // exponent of the second derivative
    {{}, 1, 55, 5},         // drag term mantissa, without its sign
    {u"B"},
    {{}, 1, 61, 1},         // drag term exponent
    {{}, 2, 9, 3, 9, 11},   // inclination
    {u"A"},
    {{}, 2, 13, 4},
    {{}, 2, 18, 3, 18, 20}, // right ascension of the ascending node
    {u"A"},
    {{}, 2, 22, 4},
    {{}, 2, 27, 7},         // eccentricity
    {{}, 2, 35, 3, 35, 37}, // argument of perigee
    {u"A"},
    {{}, 2, 39, 4},
    {{}, 2, 44, 3, 44, 46}, // mean anomaly
    {u"A"},
    {{}, 2, 48, 4},
    {{}, 2, 53, 2, 53, 54}, // mean motion
    {u"A"},
    {{}, 2, 56, 8},
    {{}, 2, 65, 1, 64, 68}, // second column of the revolution number
    {u"#"},
}};
// clang-format on

} // namespace

QString buildElementsCommand(const ElementSet& set) {
    QString command;
    command.reserve(88);
    for (const Piece& piece : kPieces) {
        if (piece.line == 0) {
            command += piece.literal;
            continue;
        }
        // Columns count from 1; a piece past the end of a short line is cut short
        // or empty.
        QString columns =
            (piece.line == 1 ? set.line1 : set.line2).mid(piece.column - 1, piece.count);
        command += columns.replace(u' ', u'0');
    }
    return command;
}

std::optional<QDate> epochDate(const QString& line1) {
    const QString epoch = line1.mid(18, 5);
    if (epoch.size() != 5) {
        return std::nullopt;
    }
    for (QChar c : epoch) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
    }
    const int yy = epoch.left(2).toInt();
    const int day = epoch.mid(2).toInt();
    const int year = yy >= 57 ? 1900 + yy : 2000 + yy;
    const QDate first(year, 1, 1);
    if (day < 1 || day > first.daysInYear()) {
        return std::nullopt;
    }
    return first.addDays(day - 1);
}

namespace {

constexpr int kLineLength = 69;

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

QString shown(QChar c) {
    if (c == u'\t') {
        return QStringLiteral("a tab");
    }
    if (c.unicode() < 0x20 || c.unicode() > 0x7E) {
        return QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    }
    return u'"' + QString(c) + u'"';
}

// Modulo-10 checksum of columns 1 to 68: digits count their value, a minus sign 1.
int checksum(const QString& line) {
    int sum = 0;
    for (const QChar c : QStringView(line).left(kLineLength - 1)) {
        sum += isAsciiDigit(c) ? c.unicode() - u'0' : c == u'-' ? 1 : 0;
    }
    return sum % 10;
}

std::optional<QString> lineProblem(int number, const QString& line) {
    if (line.size() != kLineLength) {
        return QStringLiteral("line %1 has %2 columns; an element set line has %3.")
            .arg(number)
            .arg(line.size())
            .arg(kLineLength);
    }
    // Every column the upload copies is a digit, or a blank that pads a
    // whole-number field: from its first column on, and never its last.
    for (const Piece& piece : kPieces) {
        if (piece.line != number) {
            continue;
        }
        for (int column = piece.column; column < piece.column + piece.count; ++column) {
            const QChar c = line.at(column - 1);
            const bool padding = column >= piece.paddedFrom && column < piece.paddedTo &&
                                 QStringView(line)
                                         .mid(piece.paddedFrom - 1, column - piece.paddedFrom + 1)
                                         .count(u' ') == column - piece.paddedFrom + 1;
            if (!padding && !isAsciiDigit(c)) {
                return QStringLiteral("line %1, column %2: expected a digit, found %3.")
                    .arg(number)
                    .arg(column)
                    .arg(shown(c));
            }
        }
    }
    const QChar given = line.at(kLineLength - 1);
    if (!isAsciiDigit(given) || given.unicode() - u'0' != checksum(line)) {
        return QStringLiteral("line %1, column %2: expected the checksum %3, found %4.")
            .arg(number)
            .arg(kLineLength)
            .arg(checksum(line))
            .arg(shown(given));
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> elementSetProblem(const QString& text) {
    QList<QString> lines; // the non-empty lines, trimmed
    for (qsizetype pos = 0; pos < text.size();) {
        const QString line = nextLine(text, pos);
        if (!line.isEmpty()) {
            lines << line;
        }
    }
    if (lines.isEmpty()) {
        return QStringLiteral("the element set box is empty.");
    }
    const qsizetype first = lines.size() > 1 && !lines.at(0).startsWith(u"1 ") ? 1 : 0;
    if (!lines.at(first).startsWith(u"1 ")) {
        return QStringLiteral("expected line 1, beginning with \"1 \", %1.")
            .arg(first == 0 ? QStringLiteral("first") : QStringLiteral("after the title line"));
    }
    if (first + 1 >= lines.size() || !lines.at(first + 1).startsWith(u"2 ")) {
        return QStringLiteral("expected line 2, beginning with \"2 \", after line 1.");
    }
    if (first + 2 < lines.size()) {
        return QStringLiteral("the box holds more than one element set; paste only the one to "
                              "send.");
    }
    const ElementSet set{lines.at(first), lines.at(first + 1)};
    if (const auto problem = lineProblem(1, set.line1)) {
        return problem;
    }
    if (const auto problem = lineProblem(2, set.line2)) {
        return problem;
    }
    if (set.line1.mid(2, 5) != set.line2.mid(2, 5)) {
        return QStringLiteral("line 1 is of satellite %1, line 2 of satellite %2 (columns 3-7).")
            .arg(set.line1.mid(2, 5), set.line2.mid(2, 5));
    }
    return std::nullopt;
}

} // namespace commands
