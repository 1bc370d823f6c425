#include "commands/elements.h"

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
// column `column`.
struct Piece {
    QStringView literal;
    int line = 0;
    int column = 0;
    int count = 0;
};

constexpr std::array<Piece, 28> kPieces{{
    {u"**11#"},     {{}, 1, 20, 4}, // last digit of the epoch year, day of year
    {u"A"},         {{}, 1, 25, 8}, // fraction of the epoch day
    {u"0A"},        {{}, 1, 36, 8}, // first derivative of mean motion, without its sign
    {{}, 1, 52, 1},                 // exponent of the second derivative
    {{}, 1, 55, 5},                 // drag term mantissa, without its sign
    {u"B"},         {{}, 1, 61, 1}, // drag term exponent
    {{}, 2, 9, 3},                  // inclination
    {u"A"},         {{}, 2, 13, 4}, {{}, 2, 18, 3}, // right ascension of the ascending node
    {u"A"},         {{}, 2, 22, 4}, {{}, 2, 27, 7}, // eccentricity
    {{}, 2, 35, 3},                                 // argument of perigee
    {u"A"},         {{}, 2, 39, 4}, {{}, 2, 44, 3}, // mean anomaly
    {u"A"},         {{}, 2, 48, 4}, {{}, 2, 53, 2}, // mean motion
    {u"A"},         {{}, 2, 56, 8}, {{}, 2, 65, 1}, // second column of the revolution number
    {u"#"},
}};

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
        QString columns = (piece.line == 1 ? set.line1 : set.line2).mid(piece.column - 1, piece.count);
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

} // namespace commands
