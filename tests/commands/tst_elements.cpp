#include "commands/elements.h"

#include <QTest>

using commands::ElementSet;

namespace {

const QString kLine1 = "1 99999U 12999A   12059.51782528  .00016717  00000-0  10270-3 0  9005";
const QString kLine2 = "2 99999  51.6415 279.4564 0010483 281.6924 180.1234 15.58461234123456";
// The command of the two lines above up to the mean anomaly's whole degrees.
const QString kHead = "**11#2059A517825280A00016717010270B3051A6415279A45640010483281A6924180A";

} // namespace

class Elements : public QObject {
    Q_OBJECT
private slots:
    void command_data() {
        QTest::addColumn<QString>("line1");
        QTest::addColumn<QString>("line2");
        QTest::addColumn<QString>("command");

        QTest::newRow("worked example")
            << kLine1 << kLine2
            << "**11#2059A517825280A00016717010270B3051A6415279A45640010483281A6924180A12341"
               "5A584612342#";
        QTest::newRow("both empty") << ""
                                    << ""
                                    << "**11#A0ABAAAAA#";
        QTest::newRow("line 2 of 64 columns")
            << kLine1 << kLine2.left(64) << kHead + "123415A58461234#";
        QTest::newRow("line 2 of 60 columns")
            << kLine1 << kLine2.left(60) << kHead + "123415A58461#";
        QTest::newRow("line 2 of 55 columns") << kLine1 << kLine2.left(55) << kHead + "123415A#";
        QTest::newRow("line 2 of 50 columns") << kLine1 << kLine2.left(50) << kHead + "123A#";
        QTest::newRow("line 1 of 58 columns")
            << kLine1.left(58) << kLine2
            << "**11#2059A517825280A000167170"
               "1027"
               "B"
               "051A6415279A45640010483281A6924180A123415A584612342#";
        QTest::newRow("minus signs in columns 34 and 54")
            << "1 99999U 12999A   12059.51782528 -.00016717  00000-0 -10270-3 0  9005" << kLine2
            << "**11#2059A517825280A00016717010270B3051A6415279A45640010483281A6924180A12341"
               "5A584612342#";

        // Real-looking sets whose numeric fields begin with blanks.
        QTest::newRow("low orbit, 51 degrees")
            << "1 25544U 98067A   24001.50000000  .00016717  00000-0  30306-3 0  9995"
            << "2 25544  51.6416 208.9163 0002034  83.3064  46.6843 15.49815350432340"
            << QString("**11#") + "4001" + "A" + "50000000" + "0A" + "00016717" + "0" + "30306" +
                   "B" + "3" + "051" + "A" + "6416" + "208" + "A" + "9163" + "0002034" + "083" +
                   "A" + "3064" + "046" + "A" + "6843" + "15" + "A" + "49815350" + "3" + "#";
        QTest::newRow("sun-synchronous, 98 degrees")
            << "1 33591U 09005A   24350.75000000  .00000321  00000+0  19876-3 0  9993"
            << "2 33591  98.9876   5.1234 0013507 120.0987 240.1102 14.12501234912340"
            << QString("**11#") + "4350" + "A" + "75000000" + "0A" + "00000321" + "0" + "19876" +
                   "B" + "3" + "098" + "A" + "9876" + "005" + "A" + "1234" + "0013507" + "120" +
                   "A" + "0987" + "240" + "A" + "1102" + "14" + "A" + "12501234" + "1" + "#";
        QTest::newRow("geostationary, mean motion below 10")
            << "1 41866U 16071A   24001.12345678 -.00000123  00000-0  00000+0 0  9991"
            << "2 41866   0.0123  95.4321 0001234 250.5678   9.8765  1.00271234 34560"
            << QString("**11#") + "4001" + "A" + "12345678" + "0A" + "00000123" + "0" + "00000" +
                   "B" + "0" + "000" + "A" + "0123" + "095" + "A" + "4321" + "0001234" + "250" +
                   "A" + "5678" + "009" + "A" + "8765" + "01" + "A" + "00271234" + "3" + "#";
    }
    void command() {
        QFETCH(QString, line1);
        QFETCH(QString, line2);
        QFETCH(QString, command);
        const QString built = commands::BuildElementsCommand({line1, line2});
        QCOMPARE(built, command);
        QVERIFY(built.size() <= 88);
        QVERIFY2(!built.contains(u' '), "a blank would re-sound or drop a symbol");
        if (line1.size() == 69 && line2.size() == 69) {
            QCOMPARE(built.size(), 88);
        }
    }

    void intake_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("line1");
        QTest::addColumn<QString>("line2");
        QTest::newRow("two lines LF") << kLine1 + "\n" + kLine2 << kLine1 << kLine2;
        QTest::newRow("title line CR LF") << "ISS (ZARYA)\r\n" + kLine1 + "\r\n" + kLine2 + "\r\n"
                                          << kLine1 << kLine2;
        QTest::newRow("CR only") << kLine1 + "\r" + kLine2 << kLine1 << kLine2;
        QTest::newRow("leading blanks and blank lines")
            << "\n\n   " + kLine1 + "  \n\n\t" + kLine2 + "\n\n"
            << kLine1 << kLine2;
        QTest::newRow("title that starts like line 2")
            << "2 BIRDS\n" + kLine1 + "\n" + kLine2 << kLine1 << kLine2;
        QTest::newRow("only one line") << kLine1 << kLine1 << "";
        QTest::newRow("garbage") << "hello\nworld\nagain"
                                 << "hello"
                                 << "world";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
        QTest::newRow("line 2 before line 1") << kLine2 + "\n" + kLine1 << kLine2 << kLine1;
    }
    void intake() {
        QFETCH(QString, text);
        QFETCH(QString, line1);
        QFETCH(QString, line2);
        const ElementSet set = commands::ReadElementSet(text);
        QCOMPARE(set.TleLine1, line1);
        QCOMPARE(set.TleLine2, line2);
    }

    void pastedMegabyte() {
        QString text;
        while (text.size() < 1 << 20) {
            text += "ISS (ZARYA) some text that is not an element set\r\n";
        }
        text += kLine1 + "\n" + kLine2 + "\n";
        const ElementSet set = commands::ReadElementSet(text);
        QCOMPARE(set.TleLine1, kLine1);
        QCOMPARE(set.TleLine2, kLine2);
        const QString command = commands::BuildElementsCommand(set);
        QCOMPARE(command.size(), 88);
    }

    void epoch_data() {
        QTest::addColumn<QString>("line1");
        QTest::addColumn<QDate>("date");
        QTest::newRow("worked example") << kLine1 << QDate(2012, 2, 28);
        QTest::newRow("1957") << "1 00001U 57001A   57001.00000000" << QDate(1957, 1, 1);
        QTest::newRow("2056") << "1 00001U 57001A   56366.00000000" << QDate(2056, 12, 31);
        QTest::newRow("day 360 of 2025") << "1 00001U 25001A   25360.5" << QDate(2025, 12, 26);
        QTest::newRow("day 366 of a common year") << "1 00001U 25001A   25366.5" << QDate();
        QTest::newRow("day 000") << "1 00001U 25001A   25000.5" << QDate();
        QTest::newRow("blank in the day") << "1 00001U 25001A   25 60.5" << QDate();
        QTest::newRow("short line") << "1 00001U 25001A   2536" << QDate();
        QTest::newRow("empty") << "" << QDate();
    }
    void epoch() {
        QFETCH(QString, line1);
        QFETCH(QDate, date);
        QCOMPARE(commands::EpochDate(line1).value_or(QDate()), date);
    }
};

QTEST_GUILESS_MAIN(Elements)
#include "tst_elements.moc"
