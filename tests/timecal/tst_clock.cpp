// SPDX-License-Identifier: GPL-3.0-or-later
#include "timecal/clock.h"

#include <QTest>
#include <ctime>

class SystemClockTest : public QObject {
    Q_OBJECT
private slots:
    // The zone is the system's as it is at each call, also a zone given as a
    // file's path; UTC never depends on it. Kiritimati (UTC+14) and Niue (UTC-11)
    // are 25 hours apart, always on different dates, and one of them on another
    // date than UTC.
    void zones_data() {
        QTest::addColumn<QByteArray>("tz");
        for (const char* tz : {"Pacific/Kiritimati", "Pacific/Niue", "Asia/Kolkata",
                               "/usr/share/zoneinfo/Asia/Tokyo", "Australia/Sydney", "UTC"})
            QTest::newRow(tz) << QByteArray(tz);
    }
    void zones() {
        QFETCH(QByteArray, tz);
        qputenv("TZ", tz);
        const timecal::SystemClock clock;
        const std::time_t before = std::time(nullptr);
        const QDateTime utc = clock.utcNow();
        const QDate today = clock.localToday();
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        QVERIFY(::localtime_r(&now, &local) != nullptr);
        QCOMPARE(today, QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));
        QCOMPARE(utc.timeSpec(), Qt::UTC);
        QVERIFY(before <= utc.toSecsSinceEpoch() && utc.toSecsSinceEpoch() <= now);
    }
};

QTEST_GUILESS_MAIN(SystemClockTest)
#include "tst_clock.moc"
