// Fuzzes the reading of a pasted element set and the elements command built
// from it.
//
// The bytes are read as UTF-8 and, when there is an even number of them, also
// as raw UTF-16. For each text:
//  - each line found is one of the text's trimmed lines, or empty: line 1 only
//    when the text has no non-empty line, line 2 only when it has fewer than two;
//  - the command never exceeds 88 characters, starts with "**11#", ends with
//    "#", holds no blank, and is 88 characters when both lines have 69 columns;
//  - built from lines of the same lengths made of one marker character per
//    line, the command shows the fixed pieces "**11#A0ABAAAAA#" in their places
//    and the marker of the right line everywhere else: so every other character
//    of the real command must come from that line;
//  - blanks in the lines give the same command as zeros in their place;
//  - an epoch date, when one is found, gives back columns 19-23 of line 1.

#include "commands/elements.h"
#include "fuzzcheck.h"

#include <QStringList>
#include <cstdint>
#include <cstring>

using commands::ElementSet;

namespace {

constexpr QChar kMarker1 = u'\uE001';
constexpr QChar kMarker2 = u'\uE002';

QString zeroed(QString line) {
    return line.replace(u' ', u'0');
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
    FUZZ_CHECK(command.startsWith(QStringLiteral("**11#")) && command.endsWith(u'#'), what());
    FUZZ_CHECK(!command.contains(u' '), what());
    if (set.TleLine1.size() >= 69 && set.TleLine2.size() >= 69) {
        FUZZ_CHECK(command.size() == 88, what());
    }
    FUZZ_CHECK(commands::BuildElementsCommand({zeroed(set.TleLine1), zeroed(set.TleLine2)}) ==
                   command,
               what());

    // Only columns up to 69 are copied, so longer lines give the same map.
    const QString map = commands::BuildElementsCommand(
        {QString(qMin<qsizetype>(set.TleLine1.size(), 128), kMarker1),
         QString(qMin<qsizetype>(set.TleLine2.size(), 128), kMarker2)});
    FUZZ_CHECK(map.size() == command.size(), what());
    QString fixed;
    for (qsizetype i = 0; i < map.size(); ++i) {
        if (map.at(i) == kMarker1 || map.at(i) == kMarker2) {
            const QString& line = map.at(i) == kMarker1 ? set.TleLine1 : set.TleLine2;
            FUZZ_CHECK(zeroed(line).contains(command.at(i)), what());
        } else {
            FUZZ_CHECK(command.at(i) == map.at(i), what());
            fixed += map.at(i);
        }
    }
    FUZZ_CHECK(fixed == QStringLiteral("**11#A0ABAAAAA#"), what());
}

void checkText(const QString& text) {
    const ElementSet set = commands::ReadElementSet(text);
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QStringList lines;
    for (const QString& line : unified.split(u'\n')) {
        if (!line.trimmed().isEmpty()) {
            lines << line.trimmed();
        }
    }
    const auto what = [&] { return describe(set, QString()); };
    FUZZ_CHECK(set.TleLine1.isEmpty() ? lines.isEmpty() : lines.contains(set.TleLine1), what());
    FUZZ_CHECK(set.TleLine2.isEmpty() ? lines.size() < 2 : lines.contains(set.TleLine2), what());

    checkCommand(set);

    if (const std::optional<QDate> date = commands::EpochDate(set.TleLine1)) {
        FUZZ_CHECK(date->year() >= 1957 && date->year() <= 2056, what());
        FUZZ_CHECK(set.TleLine1.mid(18, 5) ==
                       date->toString(QStringLiteral("yy")) +
                           QStringLiteral("%1").arg(date->dayOfYear(), 3, 10, QLatin1Char('0')),
                   what());
    }
}

} // namespace

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
