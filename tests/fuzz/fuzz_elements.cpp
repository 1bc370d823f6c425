// Fuzzes the reading of a pasted element set and the elements command built
// from it.
//
// The bytes are read as UTF-8 and, when there is an even number of them, also
// as raw UTF-16. For each text:
//  - the two lines found are what the reading rules say, checked against the
//    text's lines split here independently: the first "1 " line and the first
//    "2 " line after it, or else the first two non-empty lines;
//  - the command never exceeds 88 characters, starts with "**11#", ends with
//    "#" and holds no blank;
//  - which columns the command copies is learnt once, at start-up, by building
//    it from lines whose every character names its own line and column. For a
//    real input the command must then be, character for character, the fixed
//    pieces in their places and each copied column's character (a blank sent
//    as "0"), and a shorter line must give exactly the columns that exist;
//  - with both lines at least 69 characters long the command is 88 characters;
//  - an epoch date, when one is found, agrees with columns 19-23 of line 1.

#include "commands/elements.h"
#include "fuzzcheck.h"

#include <QList>
#include <QStringList>
#include <cstdint>
#include <cstring>

using commands::ElementSet;

namespace {

// Characters from the private use area stand for "line l, column c".
constexpr char16_t kMarkerBase = 0xE000;
constexpr int kMarkerSpan = 0x0C00; // per line
constexpr int kMarkerLength = 3000; // marker lines when learning the columns
constexpr int kCheckLength = 128;   // marker lines for an input: past every copied column

QChar marker(int line, int column) {
    return QChar(char16_t(kMarkerBase + (line - 1) * kMarkerSpan + column));
}

bool isMarker(QChar c) {
    return c.unicode() >= kMarkerBase && c.unicode() < kMarkerBase + 2 * kMarkerSpan;
}

int markerLine(QChar c) {
    return (c.unicode() - kMarkerBase) / kMarkerSpan + 1;
}

int markerColumn(QChar c) {
    return (c.unicode() - kMarkerBase) % kMarkerSpan;
}

QString markerText(int line, qsizetype length) {
    QString out;
    const int n = int(qMin<qsizetype>(length, kMarkerLength));
    out.reserve(n);
    for (int column = 1; column <= n; ++column) {
        out += marker(line, column);
    }
    return out;
}

const QString kFixedPieces = QStringLiteral("**11#A0ABAAAAA#");

// The columns the command copies from line 1 and line 2, in command order, as
// found from full-length marker lines.
QList<int> copied1;
QList<int> copied2;

QString withoutMarkers(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (!isMarker(c)) {
            out += c;
        }
    }
    return out;
}

[[noreturn]] void initFailed(const char* what) {
    std::fprintf(stderr, "fuzz_elements: start-up check failed: %s\n", what);
    std::abort();
}

void learnColumns() {
    if (commands::BuildElementsCommand({}) != kFixedPieces) {
        initFailed("the command of two empty lines");
    }
    const QString full = commands::BuildElementsCommand(
        {markerText(1, kMarkerLength), markerText(2, kMarkerLength)});
    if (full.size() != 88) {
        initFailed("the command of two long lines is not 88 characters");
    }
    if (withoutMarkers(full) != kFixedPieces) {
        initFailed("the fixed pieces of the command of two long lines");
    }
    for (const QChar c : full) {
        if (!isMarker(c)) {
            continue;
        }
        const int line = markerLine(c);
        const int column = markerColumn(c);
        if (column < 1 || column > 69) {
            initFailed("a copied column outside the 69 columns of an element-set line");
        }
        QList<int>& columns = line == 1 ? copied1 : copied2;
        if (line == 1 && !copied2.isEmpty()) {
            initFailed("line 1 copied after line 2");
        }
        if (!columns.isEmpty() && columns.last() >= column) {
            initFailed("columns not copied left to right");
        }
        columns << column;
    }
    if (copied1.size() != 27 || copied2.size() != 46) {
        initFailed("number of copied columns");
    }
}

// The text's lines, split at CR LF, LF or CR, trimmed.
QStringList linesOf(const QString& text) {
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    unified.replace(u'\r', u'\n');
    QStringList lines = unified.split(u'\n');
    for (QString& line : lines) {
        line = line.trimmed();
    }
    return lines;
}

ElementSet expectedSet(const QString& text) {
    QStringList nonEmpty;
    for (const QString& line : linesOf(text)) {
        if (!line.isEmpty()) {
            nonEmpty << line;
        }
    }
    for (qsizetype i = 0; i < nonEmpty.size(); ++i) {
        if (!nonEmpty.at(i).startsWith(QStringLiteral("1 "))) {
            continue;
        }
        for (qsizetype j = i + 1; j < nonEmpty.size(); ++j) {
            if (nonEmpty.at(j).startsWith(QStringLiteral("2 "))) {
                return {nonEmpty.at(i), nonEmpty.at(j)};
            }
        }
        break;
    }
    return {nonEmpty.value(0), nonEmpty.value(1)};
}

QString describe(const ElementSet& set, const QString& command) {
    return QStringLiteral("line 1 \"%1\"\n  line 2 \"%2\"\n  command \"%3\"")
        .arg(fuzzing::visible(set.TleLine1.left(120)), fuzzing::visible(set.TleLine2.left(120)),
             fuzzing::visible(command));
}

void checkCommand(const ElementSet& set) {
    const QString command = commands::BuildElementsCommand(set);
    const auto what = [&] { return describe(set, command); };
    FUZZ_CHECK(command.size() <= 88, what());
    FUZZ_CHECK(command.startsWith(QStringLiteral("**11#")), what());
    FUZZ_CHECK(command.endsWith(u'#'), what());
    FUZZ_CHECK(!command.contains(u' '), what());
    if (set.TleLine1.size() >= 69 && set.TleLine2.size() >= 69) {
        FUZZ_CHECK(command.size() == 88, what());
    }

    // The same lengths built from marker lines show where each character of
    // the command should have come from.
    // Lines longer than kCheckLength give the same map: a column past it would
    // leave the map shorter than the command.
    const QString map = commands::BuildElementsCommand(
        {markerText(1, qMin<qsizetype>(set.TleLine1.size(), kCheckLength)),
         markerText(2, qMin<qsizetype>(set.TleLine2.size(), kCheckLength))});
    FUZZ_CHECK(withoutMarkers(map) == kFixedPieces, what());
    FUZZ_CHECK(map.size() == command.size(), what());

    QList<int> got1;
    QList<int> got2;
    for (qsizetype i = 0; i < map.size(); ++i) {
        const QChar m = map.at(i);
        if (!isMarker(m)) {
            FUZZ_CHECK(command.at(i) == m, what());
            continue;
        }
        const QString& line = markerLine(m) == 1 ? set.TleLine1 : set.TleLine2;
        const int column = markerColumn(m);
        FUZZ_CHECK(column >= 1 && column <= line.size(), what());
        const QChar source = line.at(column - 1);
        FUZZ_CHECK(command.at(i) == (source == u' ' ? QChar(u'0') : source), what());
        (markerLine(m) == 1 ? got1 : got2) << column;
    }

    // A line gives every copied column it has, and no other.
    auto present = [](const QList<int>& all, qsizetype length) {
        QList<int> out;
        for (const int column : all) {
            if (column <= length) {
                out << column;
            }
        }
        return out;
    };
    FUZZ_CHECK(got1 == present(copied1, set.TleLine1.size()), what());
    FUZZ_CHECK(got2 == present(copied2, set.TleLine2.size()), what());
}

void checkEpoch(const QString& line1) {
    const std::optional<QDate> date = commands::EpochDate(line1);
    const QString epoch = line1.mid(18, 5);
    bool digits = epoch.size() == 5;
    for (const QChar c : epoch) {
        digits = digits && c >= u'0' && c <= u'9';
    }
    if (!date) {
        // Five digits naming a day of a year always give a date.
        if (digits) {
            const int yy = epoch.left(2).toInt();
            const int day = epoch.mid(2).toInt();
            const int year = yy >= 57 ? 1900 + yy : 2000 + yy;
            FUZZ_CHECK(day < 1 || day > QDate(year, 1, 1).daysInYear(),
                       fuzzing::visible(line1.left(120)));
        }
        return;
    }
    const auto what = [&] {
        return QStringLiteral("line 1 \"%1\": %2")
            .arg(fuzzing::visible(line1.left(120)), date->toString(Qt::ISODate));
    };
    FUZZ_CHECK(digits, what());
    FUZZ_CHECK(date->isValid(), what());
    FUZZ_CHECK(date->year() >= 1957 && date->year() <= 2056, what());
    FUZZ_CHECK(date->year() % 100 == epoch.left(2).toInt(), what());
    FUZZ_CHECK(date->dayOfYear() == epoch.mid(2).toInt(), what());
}

void checkText(const QString& text) {
    const ElementSet set = commands::ReadElementSet(text);
    const ElementSet expected = expectedSet(text);
    const auto what = [&] {
        return QStringLiteral("found:\n  %1\nexpected:\n  %2")
            .arg(describe(set, QString()), describe(expected, QString()));
    };
    FUZZ_CHECK(set.TleLine1 == expected.TleLine1, what());
    FUZZ_CHECK(set.TleLine2 == expected.TleLine2, what());
    // Trimmed lines: no line break, no leading or trailing white space.
    for (const QString& line : {set.TleLine1, set.TleLine2}) {
        FUZZ_CHECK(!line.contains(u'\r') && !line.contains(u'\n'), what());
        FUZZ_CHECK(line == line.trimmed(), what());
    }
    FUZZ_CHECK(set.TleLine2.isEmpty() || !set.TleLine1.isEmpty(), what());

    checkCommand(set);
    checkEpoch(set.TleLine1);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    learnColumns();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1024 * 1024) {
        return -1;
    }
    checkText(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (size % 2 == 0) {
        QString utf16(qsizetype(size / 2), Qt::Uninitialized);
        std::memcpy(utf16.data(), data, size);
        checkText(utf16);
    }
    return 0;
}
