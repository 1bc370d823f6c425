#include "commands/timecommand.h"
#include "timecal/calendar.h"

#include <QTest>

class Calendar : public QObject {
    Q_OBJECT
private slots:
    // Dates and their weekday digits (Sunday = 0). 1900 and 2100 lie outside the
    // weekday formula's range, where it takes them for leap years: 28 February 1900
    // was a Wednesday.
    void dates_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("weekday");
        // clang-format off
        QTest::newRow("leap January") << QDate(2012, 1, 1) << "0";
        QTest::newRow("leap day") << QDate(2012, 2, 29) << "3";
        QTest::newRow("leap century") << QDate(2000, 2, 29) << "2";
        QTest::newRow("century year end") << QDate(1999, 12, 31) << "5";
        QTest::newRow("last in range") << QDate(2100, 2, 28) << "0";
        QTest::newRow("formula before range") << QDate(1900, 2, 28) << "2";
        // Every 181st day of the formula's range, against the calendar's weekday.
        for (QDate d(1900, 3, 1); d < QDate(2100, 3, 1); d = d.addDays(181))
            QTest::addRow("%s", qPrintable(d.toString(Qt::ISODate))) << d << QString::number(d.dayOfWeek() % 7);
        // clang-format on
    }
    // At 23:59:57 (the time of day must not count), and the time command sent six
    // seconds into the next day: seconds, minutes, hours, weekday, day, month, year.
    void dates() {
        QFETCH(QDate, date);
        QFETCH(QString, weekday);
        const rt::DateTime t = rt::Naive(date, QTime(23, 59, 57));
        QCOMPARE(Module2::DayOfWeekDigit(t), weekday);
        QCOMPARE(timecal::DayOfYear(t), date.dayOfYear());
        QCOMPARE(commands::BuildTimeCommand(t.addSecs(6)),
                 "**10#575923" + weekday + date.toString(u"ddMMyy") + u'#');
    }
};

QTEST_GUILESS_MAIN(Calendar)
#include "tst_calendar.moc"
