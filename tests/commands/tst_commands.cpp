// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/composer.h"
#include "commands/elements.h"
#include "commands/request.h"
#include "commands/timecommand.h"

#include <QTest>

using namespace commands;

// A copied column's neighbours differ from it, so a column taken one off shows.
// clang-format off
const QString kLine1 = "1 99999U 12999A   23154.51782528 -.00016717  12345-6 -79876-5 0  9007";
const QString kLine2 = "2 99999  51.6415 279.4564 0010483 281.6924 180.1234 15.58461234123457";
const QString kCommand = "**11#" "3154" "A" "51782528" "0A" "00016717" "6" "79876" "B" "5" "051" "A" "6415" "279" "A" "4564" "0010483" "281" "A" "6924" "180" "A" "1234" "15" "A" "58461234" "2" "#";
// clang-format on

class Commands : public QObject {
    Q_OBJECT
private slots:
    // Buttons pressed one after the other, and the commands they send, joined by
    // "|" (a refused one: why it was refused). Every value holds its own name between blanks;
    // the element set is pasted with a title, line breaks of every kind and
    // blanks around its lines; the time is given in a zone of its own, and the
    // command sends it as UTC.
    void press_data() {
        QTest::addColumn<QString>("elementSet");
        QTest::addColumn<QList<int>>("buttons");
        QTest::addColumn<QString>("sent");
        const QString tle = "12 SAT\r\n  " + kLine1 + " \r\t" + kLine2;
        // clang-format off
        QTest::newRow("system") << tle << QList<int>{0, 1, 2, 3, 6, 7, 8} << "**47##|**38##|**33##|**34##|**30##|**31##|**32##";
        QTest::newRow("request data") << tle << QList<int>{4, 5, 22, 23, 24, 25, 26, 27} << "**35##|**36##|**60##|**61##|**62##|**64##|**65##|**66##";
        QTest::newRow("ADCS") << tle << QList<int>{13, 14, 15, 16} << "**42##|**44##|**46##|**41##";
        QTest::newRow("thresholds") << tle << QList<int>{12, 11, 10, 9} << "**13# lowTemp #|**14# okTemp #|**15# lowBatt #|**16# critBatt #";
        QTest::newRow("packet pairs joined") << tle << QList<int>{17, 18} << "**39# pointerIn  pointerOut #|**40# resendStart  resendStop #";
        QTest::newRow("free text unchanged") << tle << QList<int>{21} << " freeText ";
        QTest::newRow("elements and time") << tle << QList<int>{19, 20} << kCommand + "|**10#1123182280212#";
        QTest::newRow("corrupt element set refused, nothing else") << kLine1 << QList<int>{19, 12} << "The element set was not sent: expected line 2, beginning with \"2 \", after line 1.|**13# lowTemp #";
        // clang-format on
    }
    void press() {
        QFETCH(QString, elementSet);
        QFETCH(QList<int>, buttons);
        QFETCH(QString, sent);
        const QDateTime utc(QDate(2012, 2, 28), QTime(18, 23, 17), Qt::UTC);
        // clang-format off
        const CommandValues values{" lowTemp ", " okTemp ", " lowBatt ", " critBatt ", " pointerIn ",
                                   " pointerOut ", " resendStart ", " resendStop ", " freeText ",
                                   elementSet, utc.toOffsetFromUtc(-5 * 3600)};
        // clang-format on
        QStringList commands;
        for (int button : buttons) {
            const ComposedCommand composed = composeCommand(*findCommand(button), values);
            commands << composed.command + composed.refusal;
        }
        QCOMPARE(commands.join(u'|'), sent);
    }

    // What a script asks for, and what is sent (or "refused: " and the start
    // of why). Values go in as typed, but must fit their boxes.
    void request_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("sent");
        // clang-format off
        QTest::newRow("fixed") << "MSK_2k4" << "**31##";
        QTest::newRow("threshold") << "SET_LOW_TEMP=205" << "**13#205#";
        QTest::newRow("threshold as typed") << "SET_CRIT_BATT=1a " << "**16#1a #";
        QTest::newRow("pair") << "PACKET_POINTER=00012,00010" << "**39#0001200010#";
        QTest::newRow("blank as underscore") << "SET_OLE" << kCommand;
        QTest::newRow("time") << "SET_TIME" << "**10#1123182280212#";
        QTest::newRow("free text") << "**31##" << "**31##";
        QTest::newRow("free text, lower case and blanks") << " 1a *" << " 1a *";
        QTest::newRow("value too long") << "SET_OK_TEMP=2000" << "refused: the value \"2000\" of SET_OK_TEMP is longer";
        QTest::newRow("second value too long") << "PACKET_RESEND=1,123456" << "refused: the value \"123456\"";
        QTest::newRow("value missing") << "SET_LOW_BATT" << "refused: SET_LOW_BATT takes one value";
        QTest::newRow("value empty") << "SET_LOW_BATT=" << "refused: SET_LOW_BATT takes one value";
        QTest::newRow("one of a pair") << "PACKET_POINTER=12" << "refused: PACKET_POINTER takes two values";
        QTest::newRow("three of a pair") << "PACKET_POINTER=1,2,3" << "refused: PACKET_POINTER takes two values";
        QTest::newRow("value to a fixed one") << "HK_NEW=1" << "refused: HK_NEW takes no value";
        QTest::newRow("unknown name") << "HK_OLD" << "refused: \"HK_OLD\" is neither";
        QTest::newRow("not DTMF") << "**31#E" << "refused: \"**31#E\" is neither";
        QTest::newRow("empty") << "" << "refused: \"\" is neither";
        QTest::newRow("no element set") << "SET_OLE" << "refused: SET_OLE takes an element set";
        // clang-format on
    }
    void request() {
        QFETCH(QString, what);
        QFETCH(QString, sent);
        const QDateTime utc(QDate(2012, 2, 28), QTime(18, 23, 17), Qt::UTC);
        const bool withSet = QByteArray(QTest::currentDataTag()) != "no element set";
        const CommandRequest request = requestCommand(
            what, withSet ? std::optional(kLine1 + "\n" + kLine2) : std::nullopt, utc);
        const QString got = request.entry == nullptr
                                ? "refused: " + request.error
                                : composeCommand(*request.entry, request.values).command;
        QVERIFY2(request.entry == nullptr ? got.startsWith(sent) : got == sent, qPrintable(got));
    }

    // Pasted text and what is wrong with it ("" when nothing is).
    void check_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("problem");
        // The line with column `column` set to `c`, and its checksum made right again.
        const auto with = [](QString line, int column, QChar c) {
            line[column - 1] = c;
            int sum = 0;
            for (QChar d : line.left(68))
                sum += d.isDigit() && d.unicode() < 128 ? d.digitValue() : d == '-' ? 1 : 0;
            line[68] = QChar('0' + sum % 10);
            return line;
        };
        const QString tle = kLine1 + "\n" + kLine2;
        const QString junk = QString("*#abcd 1 2 x").repeated(180000);
        // clang-format off
        QTest::newRow("CR, empty lines, blanks around") << "\r\n \r  " + kLine1 + " \r\r\t" + kLine2 + "  " << "";
        QTest::newRow("empty") << " \n\r\n" << "the element set box is empty.";
        QTest::newRow("line 1 alone") << kLine1 << "expected line 2, beginning with \"2 \", after line 1.";
        QTest::newRow("no line 1 after the title") << "ISS\n" + kLine2 + "\n" + kLine1 << "expected line 1, beginning with \"1 \", after the title line.";
        QTest::newRow("2 MB of junk") << junk << "expected line 1, beginning with \"1 \", first.";
        QTest::newRow("junk with line breaks") << QString(junk).replace(' ', '\n') << "expected line 1, beginning with \"1 \", after the title line.";
        QTest::newRow("second element set") << tle + "\n" + tle << "the box holds more than one element set; paste only the one to send.";
        QTest::newRow("a catalogue") << "ISS\n" + tle + "\nNOAA 19\n" + tle << "the box holds more than one element set; paste only the one to send.";
        QTest::newRow("tab for blanks") << QString(kLine1).replace("A   2", "A\t2") + "\n" + kLine2 << "line 1 has 67 columns; an element set line has 69.";
        QTest::newRow("tab in a copied column") << kLine1 + "\n" + with(kLine2, 14, '\t') << "line 2, column 14: expected a digit, found a tab.";
        QTest::newRow("short line 2") << kLine1 + "\n" + kLine2.left(60) << "line 2 has 60 columns; an element set line has 69.";
        QTest::newRow("Arabic-Indic digit") << kLine1 + "\n" + with(kLine2, 10, QChar(0x0665)) << "line 2, column 10: expected a digit, found U+0665.";
        QTest::newRow("fullwidth digit") << with(kLine1, 25, QChar(0xFF15)) + "\n" + kLine2 << "line 1, column 25: expected a digit, found U+FF15.";
        QTest::newRow("letter in the drag term") << with(kLine1, 57, 'O') + "\n" + kLine2 << "line 1, column 57: expected a digit, found \"O\".";
        QTest::newRow("blank in a fraction") << kLine1 + "\n" + with(kLine2, 14, ' ') << "line 2, column 14: expected a digit, found \" \".";
        QTest::newRow("leading blanks padded") << kLine1 + "\n" + with(with(with(kLine2, 53, ' '), 64, ' '), 65, ' ') << "";
        QTest::newRow("blank after a digit") << kLine1 + "\n" + with(kLine2, 65, ' ') << "line 2, column 65: expected a digit, found \" \".";
        QTest::newRow("a padded field all blank") << kLine1 + "\n" + with(with(kLine2, 10, ' '), 11, ' ') << "line 2, column 11: expected a digit, found \" \".";
        QTest::newRow("checksum of line 1") << kLine1.left(68) + "8\n" + kLine2 << "line 1, column 69: expected the checksum 7, found \"8\".";
        QTest::newRow("checksum of line 2") << kLine1 + "\n" + kLine2.left(68) + "0" << "line 2, column 69: expected the checksum 7, found \"0\".";
        QTest::newRow("minus counts one") << QString(kLine1).replace(33, 1, ' ') + "\n" + kLine2 << "line 1, column 69: expected the checksum 6, found \"7\".";
        QTest::newRow("other satellite") << kLine1 + "\n" + with(kLine2, 7, '8') << "line 1 is of satellite 99999, line 2 of satellite 99998 (columns 3-7).";
        // clang-format on
    }
    void check() {
        QFETCH(QString, text);
        QFETCH(QString, problem);
        QCOMPARE(elementSetProblem(text).value_or(""), problem);
    }

    // Epoch columns 19-23 of line 1: two-digit year (57 to 56) and day of that year.
    void epoch() {
        QStringList got;
        for (const char* epoch :
             {"23154", "57001", "56366", "24060", "25366", "25000", "25 60", "2536"})
            got << epochDate(QString(18, u' ') + epoch).value_or(QDate()).toString(Qt::ISODate);
        QCOMPARE(got.join(u'|'), "2023-06-03|1957-01-01|2056-12-31|2024-02-29||||");
    }

    // At 00:00:03 UTC the command sends the moment six seconds before, in the day
    // before: seconds, minutes, hours, weekday digit (Sunday = 0), day, month,
    // two-digit year. Across leap days, centuries and years' ends.
    void timeCommand() {
        QStringList sent;
        for (const QDate day :
             {QDate(2012, 1, 2), QDate(2012, 3, 1), QDate(2000, 3, 1), QDate(2000, 1, 1),
              QDate(2026, 12, 6), QDate(2100, 3, 2), QDate(1900, 3, 1)})
            sent << buildTimeCommand(QDateTime(day, QTime(0, 0, 3), Qt::UTC));
        // clang-format off
        QCOMPARE(sent.join('|'), "**10#5759230010112#|**10#5759233290212#|**10#5759232290200#|**10#5759235311299#|"
                                 "**10#5759236051226#|**10#5759231010300#|**10#5759233280200#");
        // clang-format on
    }
};

QTEST_GUILESS_MAIN(Commands)
#include "tst_commands.moc"
