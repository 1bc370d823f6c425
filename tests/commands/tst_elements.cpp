#include "commands/elements.h"

#include <QTest>

using namespace commands;

// A copied column's neighbours differ from it, so a column taken one off shows.
// clang-format off
const QString kLine1 = "1 99999U 12999A   23154.51782528 -.00016717  12345-6 -79876-5 0  9005";
const QString kLine2 = "2 99999  51.6415 279.4564 0010483 281.6924 180.1234 15.58461234123456";
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
