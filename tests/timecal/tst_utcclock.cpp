#include "timecal/utcclock.h"

#include <QTest>
#include <ctime>

// A zone with a fixed answer (a failed query leaves the record alone), and a
// clock; both note when they are asked.
struct Fixed final : timecal::TimeZoneSource, rt::Clock {
    timecal::ZoneState state;
    timecal::TimeZoneRecord record;
    mutable QString asked; // "z" for the zone, "c" for the clock, in order
    Fixed(timecal::ZoneState s, timecal::TimeZoneRecord r) : state(s), record(r) {}
    timecal::ZoneState query(timecal::TimeZoneRecord& r) const override {
        asked += u'z';
        r = state == timecal::ZoneState::Unknown ? r : record;
        return state;
    }
    rt::DateTime localNow() const override {
        asked += u'c';
        return rt::MakeDateTime(2027, 1, 1, 0, 10);
    }
};

class UtcClock : public QObject {
    Q_OBJECT
private slots:
    // Biases {bias, standard, daylight} in the sense UTC = local + bias, and the
    // offset: local minus UTC.
    void offset_data() {
        QTest::addColumn<Fixed>("zone");
        QTest::addColumn<int>("offset");
        // clang-format off
        QTest::newRow("standard") << Fixed(timecal::ZoneState::Standard, {-60, -30, -45}) << 90;
        QTest::newRow("daylight") << Fixed(timecal::ZoneState::Daylight, {-60, -30, -45}) << 105;
        QTest::newRow("failed query") << Fixed(timecal::ZoneState::Unknown, {-60, -30, -45}) << 0;
        QTest::newRow("west, clamped") << Fixed(timecal::ZoneState::Standard, {40000, 0, 0}) << -32768;
        // clang-format on
    }
    void offset() {
        QFETCH(Fixed, zone);
        QFETCH(int, offset);
        QCOMPARE(Module2::GetUtcBiasMinutes(zone), offset);
        zone.asked.clear();
        const rt::DateTime utc = Module2::GetUtcNow(zone, zone);
        QCOMPARE(zone.asked, QString("zc")); // the zone first, so that the clock is the later
        QCOMPARE(utc, zone.localNow().addSecs(-60 * qint64(offset)));
    }

    // The system zone from TZ (also a zone file's path), daylight time included: asked
    // before the C library has read TZ, whose offset must agree.
    void systemZone() {
        QList<int> offsets;
        for (const char* tz : {"Asia/Kolkata", "/usr/share/zoneinfo/Asia/Tokyo", "Europe/Berlin",
                               "Australia/Sydney"}) {
            qputenv("TZ", tz);
            offsets << Module2::GetUtcBiasMinutes();
            const std::time_t now = std::time(nullptr);
            QCOMPARE(offsets.last(), int(std::localtime(&now)->tm_gmtoff / 60));
        }
        QVERIFY(qAbs(rt::Naive(QDateTime::currentDateTimeUtc()).secsTo(Module2::GetUtcNow())) <= 2);
        QCOMPARE(offsets.first(2), (QList<int>{330, 540}));
    }
};

QTEST_GUILESS_MAIN(UtcClock)
#include "tst_utcclock.moc"
