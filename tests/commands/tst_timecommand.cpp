#include "commands/timecommand.h"

#include <QTest>

class TimeCommand : public QObject {
    Q_OBJECT
private slots:
    // Dates and their weekday digits (Sunday = 0), across leap days, centuries
    // and years' ends.
    void dates_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("weekday");
        // clang-format off
        QTest::newRow("leap January") << QDate(2012, 1, 1) << "0";
        QTest::newRow("leap day") << QDate(2012, 2, 29) << "3";
        QTest::newRow("leap century") << QDate(2000, 2, 29) << "2";
        QTest::newRow("century year end") << QDate(1999, 12, 31) << "5";
        QTest::newRow("Saturday") << QDate(2026, 12, 5) << "6";
        QTest::newRow("not a leap century") << QDate(2100, 3, 1) << "1";
        QTest::newRow("1900") << QDate(1900, 2, 28) << "3";
        // clang-format on
    }
    // At 23:59:57, the command sent six seconds into the next day: seconds,
    // minutes, hours, weekday, day, month, two-digit year, all of the moment
    // six seconds before.
    void dates() {
        QFETCH(QDate, date);
        QFETCH(QString, weekday);
        const QDateTime utc(date.addDays(1), QTime(0, 0, 3), Qt::UTC);
        QCOMPARE(commands::buildTimeCommand(utc),
                 "**10#575923" + weekday + date.toString(u"ddMMyy") + u'#');
    }

    void worked() {
        // The same moment given in another zone is sent as UTC.
        const QDateTime utc(QDate(2012, 2, 28), QTime(18, 23, 17), Qt::UTC);
        QCOMPARE(commands::buildTimeCommand(utc), "**10#1123182280212#");
        QCOMPARE(commands::buildTimeCommand(utc.toOffsetFromUtc(-5 * 3600)), "**10#1123182280212#");
        QCOMPARE(commands::buildTimeCommand(QDateTime(QDate(2013, 1, 1), QTime(0, 0, 5), Qt::UTC)),
                 "**10#5959231311212#");
    }
};

QTEST_GUILESS_MAIN(TimeCommand)
#include "tst_timecommand.moc"
