#include "runtime/dates.h"
#include "runtime/services.h"
#include "timecal/timezone.h"
#include "timecal/utcclock.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QTest>
#include <ctime>
#include <optional>

using timecal::TimeZoneRecord;
using timecal::ZoneState;

Q_DECLARE_METATYPE(timecal::ZoneState)

namespace {

// A zone source with a fixed answer and a clock with a fixed local time. A
// failed query leaves the record alone, as the real source does. It notes
// whether the record arrived zeroed and whether the zone was asked before the
// clock was read.
class FakeZoneAndClock final : public timecal::TimeZoneSource, public rt::Clock {
public:
    FakeZoneAndClock(ZoneState state, TimeZoneRecord record, rt::DateTime local = {})
        : state_(state), record_(record), local_(std::move(local)) {}

    ZoneState query(TimeZoneRecord& record) const override {
        asked = true;
        arrivedZeroed = record.bias == 0 && record.standardBias == 0 && record.daylightBias == 0;
        if (state_ != ZoneState::Unknown) {
            record = record_;
        }
        return state_;
    }
    rt::DateTime localNow() const override {
        zoneAskedFirst = asked;
        return local_;
    }

    mutable bool asked = false;
    mutable bool arrivedZeroed = false;
    mutable bool zoneAskedFirst = false;

private:
    ZoneState state_;
    TimeZoneRecord record_;
    rt::DateTime local_;
};

rt::DateTime at(int year, int month, int day, int hour, int minute, int second) {
    return rt::MakeDateTime(year, month, day, hour, minute, second);
}

// What the C library makes of the current TZ, in minutes east of UTC: an oracle
// that owes nothing to Qt's zone code.
int libcOffsetMinutes() {
    ::tzset();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return static_cast<int>(local.tm_gmtoff / 60);
}

} // namespace

class UtcClock : public QObject {
    Q_OBJECT
    std::optional<QByteArray> savedTz_;

private slots:
    // Every test may set TZ; what was there before, "not set" included, is put back.
    void init() {
        savedTz_ = qEnvironmentVariableIsSet("TZ") ? std::optional(qgetenv("TZ")) : std::nullopt;
    }
    void cleanup() {
        savedTz_ ? qputenv("TZ", *savedTz_) : qunsetenv("TZ");
        ::tzset();
    }

    void biasFromRecord_data() {
        QTest::addColumn<ZoneState>("state");
        QTest::addColumn<qint32>("bias");
        QTest::addColumn<qint32>("standardBias");
        QTest::addColumn<qint32>("daylightBias");
        QTest::addColumn<qint16>("expected");

        QTest::newRow("standard time") << ZoneState::Standard << -60 << 0 << -60 << qint16(60);
        QTest::newRow("daylight time") << ZoneState::Daylight << -60 << 0 << -60 << qint16(120);
        QTest::newRow("standard bias counts in standard time")
            << ZoneState::Standard << -60 << -30 << -60 << qint16(90);
        QTest::newRow("standard bias ignored in daylight time")
            << ZoneState::Daylight << -60 << -30 << -60 << qint16(120);
        QTest::newRow("+05:30") << ZoneState::Standard << -330 << 0 << 0 << qint16(330);
        QTest::newRow("+05:45") << ZoneState::Standard << -345 << 0 << 0 << qint16(345);
        QTest::newRow("failed query") << ZoneState::Unknown << -60 << -30 << -60 << qint16(0);
    }
    void biasFromRecord() {
        QFETCH(ZoneState, state);
        QFETCH(qint32, bias);
        QFETCH(qint32, standardBias);
        QFETCH(qint32, daylightBias);
        QFETCH(qint16, expected);

        const FakeZoneAndClock zone(state, {bias, standardBias, daylightBias});
        QCOMPARE(Module2::GetUtcBiasMinutes(zone), expected);
        QVERIFY2(zone.arrivedZeroed, "the record must be handed to the zone source zeroed");
    }

    void utcFromLocalClock_data() {
        QTest::addColumn<ZoneState>("state");
        QTest::addColumn<qint32>("bias");
        QTest::addColumn<rt::DateTime>("local");
        QTest::addColumn<rt::DateTime>("utc");
        using enum ZoneState;

        QTest::newRow("+60 back over midnight")
            << Standard << -60 << at(2026, 12, 6, 0, 30, 15) << at(2026, 12, 5, 23, 30, 15);
        QTest::newRow("+60 back over new year")
            << Standard << -60 << at(2027, 1, 1, 0, 10, 0) << at(2026, 12, 31, 23, 10, 0);
        QTest::newRow("+60 back into 29 February")
            << Standard << -60 << at(2024, 3, 1, 0, 59, 59) << at(2024, 2, 29, 23, 59, 59);
        QTest::newRow("-300 forward over month end")
            << Standard << 300 << at(2026, 4, 30, 21, 45, 30) << at(2026, 5, 1, 2, 45, 30);
        QTest::newRow("+345 back over midnight")
            << Standard << -345 << at(2026, 12, 7, 5, 44, 30) << at(2026, 12, 6, 23, 59, 30);
        QTest::newRow("daylight time, two hours back")
            << Daylight << -60 << at(2026, 7, 15, 1, 30, 45) << at(2026, 7, 14, 23, 30, 45);
        QTest::newRow("failed query leaves local time")
            << Unknown << -60 << at(2026, 12, 6, 0, 30, 15) << at(2026, 12, 6, 0, 30, 15);
    }
    void utcFromLocalClock() {
        QFETCH(ZoneState, state);
        QFETCH(qint32, bias);
        QFETCH(rt::DateTime, local);
        QFETCH(rt::DateTime, utc);

        const FakeZoneAndClock zoneAndClock(state, {bias, 0, -60}, local);
        const rt::DateTime result = Module2::GetUtcNow(zoneAndClock, zoneAndClock);
        // Compare the fields: equal instants could hide a stray zone tag.
        QCOMPARE(result.date(), utc.date());
        QCOMPARE(result.time(), utc.time());
        // Reading the clock first would let a daylight-saving change between the
        // two reads put the result an hour out.
        QVERIFY2(zoneAndClock.zoneAskedFirst, "the zone must be asked before the clock is read");
    }

    // The offset from the TZ variable must be the one the C library, which reads
    // the local clock, sees; and it must be one the zone really has. The C library
    // also takes TZ as the path of a zone file.
    void systemZone_data() {
        QTest::addColumn<QByteArray>("tz");
        QTest::addColumn<QList<int>>("offsets");
        QTest::newRow("Europe/Berlin") << QByteArray("Europe/Berlin") << QList<int>{60, 120};
        QTest::newRow("Asia/Kolkata") << QByteArray("Asia/Kolkata") << QList<int>{330};
        QTest::newRow("America/St_Johns")
            << QByteArray("America/St_Johns") << QList<int>{-210, -150};
        QTest::newRow("Australia/Sydney") << QByteArray("Australia/Sydney") << QList<int>{600, 660};
        QTest::newRow("unknown zone") << QByteArray("Nowhere/Bogus") << QList<int>{0};
        QTest::newRow("zone file")
            << QByteArray("/usr/share/zoneinfo/Asia/Tokyo") << QList<int>{540};
        QTest::newRow("zone file after colon")
            << QByteArray(":/usr/share/zoneinfo/Asia/Kathmandu") << QList<int>{345};
    }
    void systemZone() {
        QFETCH(QByteArray, tz);
        QFETCH(QList<int>, offsets);
        const QByteArray file = tz.mid(tz.startsWith(':') ? 1 : 0);
        if (file.startsWith('/') && !QFile::exists(QString::fromLatin1(file))) {
            QSKIP("no zone file there on this system");
        }
        qputenv("TZ", tz);

        // Asked before the C library, so that its own tzset() cannot help.
        const int offset = Module2::GetUtcBiasMinutes();
        QCOMPARE(offset, libcOffsetMinutes());
        QVERIFY2(offsets.contains(offset), qPrintable(QString::number(offset)));
        const rt::DateTime real = rt::Naive(QDateTime::currentDateTimeUtc());
        QVERIFY(qAbs(real.secsTo(Module2::GetUtcNow())) <= 2);
    }

    // The zone is asked afresh at every call: a changed TZ shows at the next one.
    void tzChangeSeenAtNextCall() {
        qputenv("TZ", "Asia/Kolkata");
        QCOMPARE(int(Module2::GetUtcBiasMinutes()), 330);

        qputenv("TZ", "America/St_Johns");
        const int stJohns = Module2::GetUtcBiasMinutes();
        QVERIFY(stJohns == -210 || stJohns == -150);
        QCOMPARE(stJohns, libcOffsetMinutes());
        const rt::DateTime real = rt::Naive(QDateTime::currentDateTimeUtc());
        QVERIFY(qAbs(real.secsTo(Module2::GetUtcNow())) <= 2);
    }
};

QTEST_GUILESS_MAIN(UtcClock)
#include "tst_utcclock.moc"
