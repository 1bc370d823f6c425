#include "commands/timecommand.h"
#include "runtime/dates.h"
#include "timecal/calendar.h"

#include <QDate>
#include <QRegularExpression>
#include <QTest>

namespace {

QString trueWeekdayDigit(const QDate& date) {
    return QString::number(date.dayOfWeek() % 7);
}

} // namespace

class Calendar : public QObject {
    Q_OBJECT
private slots:
    // Every day from before the weekday formula's range to after it, at the first
    // and the last second of the day: the time of day must not count.
    void dayOfYearEveryDay() {
        for (QDate d(1899, 1, 1); d <= QDate(2101, 12, 31); d = d.addDays(1)) {
            for (const QTime& time : {QTime(0, 0), QTime(23, 59, 59)}) {
                const int got = timecal::DayOfYear(rt::Naive(d, time));
                if (got != d.dayOfYear()) {
                    QFAIL(qPrintable(QStringLiteral("%1 %2: day %3, expected %4")
                                         .arg(d.toString(Qt::ISODate), time.toString())
                                         .arg(got)
                                         .arg(d.dayOfYear())));
                }
            }
        }
    }

    void weekdayDigitEveryValidDay() {
        for (QDate d(1900, 3, 1); d <= QDate(2100, 2, 28); d = d.addDays(1)) {
            for (const QTime& time : {QTime(0, 0), QTime(23, 59, 59)}) {
                const QString got = Module2::DayOfWeekDigit(rt::Naive(d, time));
                if (got != trueWeekdayDigit(d)) {
                    QFAIL(qPrintable(QStringLiteral("%1 %2: digit %3, expected %4")
                                         .arg(d.toString(Qt::ISODate), time.toString(), got,
                                              trueWeekdayDigit(d))));
                }
            }
        }
    }

    // Outside the valid range the formula treats 1900 and 2100 as leap years; the
    // digit is the formula's, one off the calendar's.
    void weekdayDigitOutsideRange_data() {
        QTest::addColumn<rt::DateTime>("date");
        QTest::addColumn<QString>("digit");
        QTest::newRow("28 Feb 1900") << rt::MakeDateTime(1900, 2, 28) << "2";
        QTest::newRow("1 Mar 2100") << rt::MakeDateTime(2100, 3, 1) << "2";
    }
    void weekdayDigitOutsideRange() {
        QFETCH(rt::DateTime, date);
        QFETCH(QString, digit);
        QCOMPARE(Module2::DayOfWeekDigit(date), digit);
    }

    void timeCommand_data() {
        QTest::addColumn<rt::DateTime>("utcNow");
        QTest::addColumn<QString>("command");

        QTest::newRow("28 Feb 2012 18:23:17")
            << rt::MakeDateTime(2012, 2, 28, 18, 23, 17) << "**10#1123182280212#";
        QTest::newRow("back into 29 February")
            << rt::MakeDateTime(2012, 3, 1, 0, 0, 3) << "**10#5759233290212#";
        QTest::newRow("back into the old year")
            << rt::MakeDateTime(2013, 1, 1, 0, 0, 5) << "**10#5959231311212#";
        QTest::newRow("back into the old century")
            << rt::MakeDateTime(2000, 1, 1, 0, 0, 0) << "**10#5459235311299#";
        QTest::newRow("exactly six seconds after midnight")
            << rt::MakeDateTime(2026, 12, 6, 0, 0, 6) << "**10#0000000061226#";
        QTest::newRow("no borrow")
            << rt::MakeDateTime(2023, 3, 15, 12, 34, 56) << "**10#5034123150323#";
    }
    void timeCommand() {
        QFETCH(rt::DateTime, utcNow);
        QFETCH(QString, command);
        QCOMPARE(commands::BuildTimeCommand(utcNow), command);
    }

    // Every command must read back as one instant six seconds before the one
    // given, with the weekday digit of that instant's date.
    void timeCommandReadsBack_data() {
        QTest::addColumn<rt::DateTime>("start");
        QTest::addColumn<qint64>("step");
        QTest::addColumn<int>("count");

        QTest::newRow("every 7 h 13 s, 2000 to 2031")
            << rt::MakeDateTime(2000, 1, 1, 0, 0, 0) << qint64(7 * 3600 + 13) << 39000;
        QTest::newRow("00:00:03 of every day, 2011 to 2031")
            << rt::MakeDateTime(2011, 1, 1, 0, 0, 3) << qint64(86400) << 7670;
    }
    void timeCommandReadsBack() {
        QFETCH(rt::DateTime, start);
        QFETCH(qint64, step);
        QFETCH(int, count);

        static const QRegularExpression shape(
            QStringLiteral("^\\*\\*10#(\\d\\d)(\\d\\d)(\\d\\d)(\\d)(\\d\\d)(\\d\\d)(\\d\\d)#$"));
        rt::DateTime utcNow = start;
        for (int i = 0; i < count; ++i, utcNow = utcNow.addSecs(step)) {
            const QString command = commands::BuildTimeCommand(utcNow);
            const QString where = utcNow.toString(Qt::ISODate) + QStringLiteral(": ") + command;
            QVERIFY2(command.size() == 19, qPrintable(where));
            const QRegularExpressionMatch m = shape.match(command);
            QVERIFY2(m.hasMatch(), qPrintable(where));

            // Two-digit years: the runs below stay within 1970-2069.
            const int yy = m.captured(7).toInt();
            const QDate date(yy < 70 ? 2000 + yy : 1900 + yy, m.captured(6).toInt(),
                             m.captured(5).toInt());
            const QTime time(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
            QVERIFY2(date.isValid() && time.isValid(), qPrintable(where));
            QVERIFY2(m.captured(4) == trueWeekdayDigit(date), qPrintable(where));
            QVERIFY2(rt::Naive(date, time).addSecs(6) == utcNow, qPrintable(where));
        }
    }
};

QTEST_GUILESS_MAIN(Calendar)
#include "tst_calendar.moc"
