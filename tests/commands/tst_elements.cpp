#include "commands/elements.h"

#include <QTest>

using namespace commands;

// A copied column's neighbours differ from it, so a column taken one off shows.
// clang-format off
const QString kLine1 = "1 99999U 12999A   23154.51782528 -.00016717  12345-6 -79876-5 0  9007";
const QString kLine2 = "2 99999  51.6415 279.4564 0010483 281.6924 180.1234 15.58461234123457";
const QString kFromLine1 = "**11#" "3154" "A" "51782528" "0A" "00016717" "6" "79876" "B" "5";
const QString kCommand = kFromLine1 + "051" "A" "6415" "279" "A" "4564" "0010483" "281" "A" "6924" "180" "A" "1234" "15" "A" "58461234" "2" "#";
// clang-format on

class Elements : public QObject {
    Q_OBJECT
private slots:
    // Pasted text, and the two lines and the command found in it.
    void read_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("line1");
        QTest::addColumn<QString>("line2");
        QTest::addColumn<QString>("command");
        // clang-format off
        QTest::newRow("LF") << kLine1 + "\n" + kLine2 << kLine1 << kLine2 << kCommand;
        QTest::newRow("title, CR LF") << "12 SAT\r\n" + kLine1 + "\r\n" + kLine2 + "\r\n" << kLine1 << kLine2 << kCommand;
        QTest::newRow("CR, blanks") << "\r  " + kLine1 + " \r\t" + kLine2 << kLine1 << kLine2 << kCommand;
        QTest::newRow("short lines") << kLine1.left(58) + "\n" + kLine2.left(50) << kLine1.left(58) << kLine2.left(50)
                                     << "**11#3154A517825280A0001671767987B051A6415279A45640010483281A6924180A123A#";
        QTest::newRow("one line") << kLine1 << kLine1 << "" << kFromLine1 + "AAAAA#";
        QTest::newRow("first 1, first 2 after it") << "2 x\n1 a\n1 b\n2y\n2 c\n2 d" << "1 a" << "2 c" << "**11#A0ABAAAAA#";
        QTest::newRow("no pair: first two lines") << "\n2 b\n\n1 a\n1 c" << "2 b" << "1 a" << "**11#A0ABAAAAA#";
        QTest::newRow("empty") << "" << "" << "" << "**11#A0ABAAAAA#";
        // clang-format on
    }
    void read() {
        QFETCH(QString, text);
        QFETCH(QString, line1);
        QFETCH(QString, line2);
        QFETCH(QString, command);
        const ElementSet set = readElementSet(text);
        QCOMPARE(set.line1, line1);
        QCOMPARE(set.line2, line2);
        QCOMPARE(buildElementsCommand(set), command);
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
        QTest::newRow("good") << tle << "";
        QTest::newRow("title, CR LF") << "ISS (ZARYA)\r\n" + kLine1 + "\r\n" + kLine2 + "\r\n" << "";
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
        QTest::newRow("blank ends a padded field") << kLine1 + "\n" + with(kLine2, 11, ' ') << "line 2, column 11: expected a digit, found \" \".";
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
};

QTEST_GUILESS_MAIN(Elements)
#include "tst_elements.moc"
