#include "runtime/dates.h"
#include "runtime/services.h"
#include "timecal/module2.h"
#include "timecal/timezone.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QStringList>
#include <QTest>
#include <QTimeZone>
#include <ctime>
#include <optional>

using timecal::TimeZoneRecord;
using timecal::ZoneState;

Q_DECLARE_METATYPE(timecal::ZoneState)

namespace {

// A zone source with a fixed answer. A failed query leaves the record alone, as
// the real source does. It notes whether the record arrived zeroed and, when
// given a log, when it was asked.
class FakeZone final : public timecal::TimeZoneSource {
public:
    FakeZone(ZoneState state, qint32 bias, qint32 standardBias, qint32 daylightBias,
             QStringList* log = nullptr)
        : state_(state), bias_(bias), standardBias_(standardBias), daylightBias_(daylightBias),
          log_(log) {}

    ZoneState query(TimeZoneRecord& record) const override {
        ++calls;
        arrivedZeroed = record.bias == 0 && record.standardBias == 0 && record.daylightBias == 0;
        if (log_) {
            log_->append(QStringLiteral("zone"));
        }
        if (state_ == ZoneState::Unknown) {
            return state_;
        }
        record.bias = bias_;
        record.standardBias = standardBias_;
        record.daylightBias = daylightBias_;
        return state_;
    }

    mutable int calls = 0;
    mutable bool arrivedZeroed = false;

private:
    ZoneState state_;
    qint32 bias_;
    qint32 standardBias_;
    qint32 daylightBias_;
    QStringList* log_;
};

class FakeClock final : public rt::Clock {
public:
    explicit FakeClock(rt::DateTime local, QStringList* log = nullptr)
        : local_(std::move(local)), log_(log) {}

    rt::DateTime localNow() const override {
        if (log_) {
            log_->append(QStringLiteral("clock"));
        }
        return local_;
    }

private:
    rt::DateTime local_;
    QStringList* log_;
};

// Sets TZ for the lifetime of the guard and puts back what was there before,
// including "not set at all".
class TzGuard {
public:
    TzGuard() {
        if (qEnvironmentVariableIsSet("TZ")) {
            saved_ = qgetenv("TZ");
        }
    }
    ~TzGuard() {
        if (saved_) {
            qputenv("TZ", *saved_);
        } else {
            qunsetenv("TZ");
        }
        ::tzset();
    }
    TzGuard(const TzGuard&) = delete;
    TzGuard& operator=(const TzGuard&) = delete;

    static void set(const QByteArray& zoneId) { qputenv("TZ", zoneId); }

private:
    std::optional<QByteArray> saved_;
};

// What the C library makes of the current TZ, in minutes east of UTC: an oracle
// that owes nothing to Qt's zone code.
int libcOffsetMinutes() {
    ::tzset();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return static_cast<int>(local.tm_gmtoff / 60);
}

// What Qt's zone database says the zone's offset is now; 0 for a zone it does
// not know.
int qtOffsetMinutes(const QByteArray& zoneId) {
    const QTimeZone zone(zoneId);
    if (!zone.isValid()) {
        return 0;
    }
    return zone.offsetFromUtc(QDateTime::currentDateTimeUtc()) / 60;
}

} // namespace

class UtcClock : public QObject {
    Q_OBJECT
private slots:
    void biasFromRecord_data() {
        QTest::addColumn<ZoneState>("state");
        QTest::addColumn<qint32>("bias");
        QTest::addColumn<qint32>("standardBias");
        QTest::addColumn<qint32>("daylightBias");
        QTest::addColumn<qint16>("expected");

        QTest::newRow("UTC+1 zone, standard time")
            << ZoneState::Standard << -60 << 0 << -60 << qint16(60);
        QTest::newRow("UTC+1 zone, daylight time")
            << ZoneState::Daylight << -60 << 0 << -60 << qint16(120);
        QTest::newRow("UTC-5 zone, standard time")
            << ZoneState::Standard << 300 << 0 << -60 << qint16(-300);
        QTest::newRow("UTC-5 zone, daylight time")
            << ZoneState::Daylight << 300 << 0 << -60 << qint16(-240);
        QTest::newRow("standard bias counts in standard time")
            << ZoneState::Standard << -60 << -30 << -60 << qint16(90);
        QTest::newRow("standard bias ignored in daylight time")
            << ZoneState::Daylight << -60 << -30 << -60 << qint16(120);
        QTest::newRow("half hour east, +05:30")
            << ZoneState::Standard << -330 << 0 << 0 << qint16(330);
        QTest::newRow("quarter hour east, +05:45")
            << ZoneState::Standard << -345 << 0 << 0 << qint16(345);
        QTest::newRow("half hour west, -03:30 standard")
            << ZoneState::Standard << 210 << 0 << -60 << qint16(-210);
        QTest::newRow("half hour west, -02:30 daylight")
            << ZoneState::Daylight << 210 << 0 << -60 << qint16(-150);
        QTest::newRow("furthest east, +14:00")
            << ZoneState::Standard << -840 << 0 << 0 << qint16(840);
        QTest::newRow("furthest west, -12:00")
            << ZoneState::Standard << 720 << 0 << 0 << qint16(-720);
        QTest::newRow("failed query") << ZoneState::Unknown << -60 << -30 << -60 << qint16(0);
    }
    void biasFromRecord() {
        QFETCH(ZoneState, state);
        QFETCH(qint32, bias);
        QFETCH(qint32, standardBias);
        QFETCH(qint32, daylightBias);
        QFETCH(qint16, expected);

        const FakeZone zone(state, bias, standardBias, daylightBias);
        QCOMPARE(Module2::GetUtcBiasMinutes(zone), expected);
        QCOMPARE(zone.calls, 1);
        QVERIFY2(zone.arrivedZeroed, "the record must be handed to the zone source zeroed");
    }

    void utcFromLocalClock_data() {
        QTest::addColumn<ZoneState>("state");
        QTest::addColumn<qint32>("bias");
        QTest::addColumn<qint32>("daylightBias");
        QTest::addColumn<rt::DateTime>("local");
        QTest::addColumn<rt::DateTime>("utc");

        QTest::newRow("+60 back over midnight")
            << ZoneState::Standard << -60 << -60 << rt::MakeDateTime(2026, 12, 6, 0, 30, 15)
            << rt::MakeDateTime(2026, 12, 5, 23, 30, 15);
        QTest::newRow("+60 back over new year")
            << ZoneState::Standard << -60 << -60 << rt::MakeDateTime(2027, 1, 1, 0, 10, 0)
            << rt::MakeDateTime(2026, 12, 31, 23, 10, 0);
        QTest::newRow("+60 back into 29 February")
            << ZoneState::Standard << -60 << -60 << rt::MakeDateTime(2024, 3, 1, 0, 59, 59)
            << rt::MakeDateTime(2024, 2, 29, 23, 59, 59);
        QTest::newRow("+60 back into 28 February")
            << ZoneState::Standard << -60 << -60 << rt::MakeDateTime(2025, 3, 1, 0, 0, 0)
            << rt::MakeDateTime(2025, 2, 28, 23, 0, 0);
        QTest::newRow("-300 forward over month end")
            << ZoneState::Standard << 300 << -60 << rt::MakeDateTime(2026, 4, 30, 21, 45, 30)
            << rt::MakeDateTime(2026, 5, 1, 2, 45, 30);
        QTest::newRow("-300 forward over new year")
            << ZoneState::Standard << 300 << -60 << rt::MakeDateTime(2026, 12, 31, 19, 0, 1)
            << rt::MakeDateTime(2027, 1, 1, 0, 0, 1);
        QTest::newRow("+330 exact")
            << ZoneState::Standard << -330 << 0 << rt::MakeDateTime(2026, 12, 7, 12, 0, 0)
            << rt::MakeDateTime(2026, 12, 7, 6, 30, 0);
        QTest::newRow("+330 back to the last second of the day")
            << ZoneState::Standard << -330 << 0 << rt::MakeDateTime(2026, 12, 7, 5, 29, 59)
            << rt::MakeDateTime(2026, 12, 6, 23, 59, 59);
        QTest::newRow("+345 exact")
            << ZoneState::Standard << -345 << 0 << rt::MakeDateTime(2026, 12, 7, 12, 0, 0)
            << rt::MakeDateTime(2026, 12, 7, 6, 15, 0);
        QTest::newRow("+345 back over midnight")
            << ZoneState::Standard << -345 << 0 << rt::MakeDateTime(2026, 12, 7, 5, 44, 30)
            << rt::MakeDateTime(2026, 12, 6, 23, 59, 30);
        QTest::newRow("-210 forward by three and a half hours")
            << ZoneState::Standard << 210 << -60 << rt::MakeDateTime(2026, 12, 7, 22, 45, 7)
            << rt::MakeDateTime(2026, 12, 8, 2, 15, 7);
        QTest::newRow("daylight time, two hours back")
            << ZoneState::Daylight << -60 << -60 << rt::MakeDateTime(2026, 7, 15, 1, 30, 45)
            << rt::MakeDateTime(2026, 7, 14, 23, 30, 45);
        QTest::newRow("failed query leaves local time")
            << ZoneState::Unknown << -60 << -60 << rt::MakeDateTime(2026, 12, 6, 0, 30, 15)
            << rt::MakeDateTime(2026, 12, 6, 0, 30, 15);
    }
    void utcFromLocalClock() {
        QFETCH(ZoneState, state);
        QFETCH(qint32, bias);
        QFETCH(qint32, daylightBias);
        QFETCH(rt::DateTime, local);
        QFETCH(rt::DateTime, utc);

        const FakeZone zone(state, bias, 0, daylightBias);
        const FakeClock clock(local);
        const rt::DateTime result = Module2::GetUtcNow(zone, clock);
        QCOMPARE(result, utc);
        // Compare the fields too: equal instants could hide a stray zone tag.
        QCOMPARE(result.date(), utc.date());
        QCOMPARE(result.time(), utc.time());
    }

    // Reading the clock first would let a daylight-saving change between the two
    // reads put the result an hour out.
    void zoneAskedBeforeClock() {
        QStringList log;
        const FakeZone zone(ZoneState::Standard, -60, 0, -60, &log);
        const FakeClock clock(rt::MakeDateTime(2026, 12, 6, 12, 0, 0), &log);
        Module2::GetUtcNow(zone, clock);
        QCOMPARE(log, QStringList({QStringLiteral("zone"), QStringLiteral("clock")}));
    }

    void systemZone_data() {
        QTest::addColumn<QByteArray>("zoneId");
        QTest::newRow("Europe/Berlin") << QByteArray("Europe/Berlin");
        QTest::newRow("Asia/Kolkata") << QByteArray("Asia/Kolkata");
        QTest::newRow("America/St_Johns") << QByteArray("America/St_Johns");
        QTest::newRow("Australia/Sydney") << QByteArray("Australia/Sydney");
        QTest::newRow("UTC") << QByteArray("UTC");
        QTest::newRow("unknown zone") << QByteArray("Nowhere/Bogus");
    }
    void systemZone() {
        QFETCH(QByteArray, zoneId);
        const TzGuard guard;
        TzGuard::set(zoneId);

        const int expected = qtOffsetMinutes(zoneId);
        QCOMPARE(int(Module2::GetUtcBiasMinutes()), expected);
        // The C library's view of the same TZ value must agree, or the local clock
        // and the offset would come from different zones.
        QCOMPARE(libcOffsetMinutes(), expected);
    }
    void systemZoneFixedOffsets_data() {
        QTest::addColumn<QByteArray>("zoneId");
        QTest::addColumn<int>("offset");
        QTest::newRow("Asia/Kolkata") << QByteArray("Asia/Kolkata") << 330;
        QTest::newRow("Asia/Kathmandu") << QByteArray("Asia/Kathmandu") << 345;
        QTest::newRow("UTC") << QByteArray("UTC") << 0;
        QTest::newRow("unknown zone") << QByteArray("Nowhere/Bogus") << 0;
    }
    void systemZoneFixedOffsets() {
        QFETCH(QByteArray, zoneId);
        QFETCH(int, offset);
        const TzGuard guard;
        TzGuard::set(zoneId);
        QCOMPARE(int(Module2::GetUtcBiasMinutes()), offset);
    }

    void systemUtcNow_data() { systemZone_data(); }
    void systemUtcNow() {
        QFETCH(QByteArray, zoneId);
        const TzGuard guard;
        TzGuard::set(zoneId);

        const rt::DateTime before = rt::Naive(QDateTime::currentDateTimeUtc());
        const rt::DateTime utc = Module2::GetUtcNow();
        const rt::DateTime after = rt::Naive(QDateTime::currentDateTimeUtc());
        QVERIFY2(before.secsTo(utc) >= -2 && utc.secsTo(after) >= -2,
                 qPrintable(QStringLiteral("GetUtcNow() %1, real UTC %2")
                                .arg(utc.toString(Qt::ISODate), before.toString(Qt::ISODate))));
    }

    // The C library also takes TZ as the path of a zone file, and the local clock
    // follows it; the offset has to follow it too.
    void zoneGivenAsFile_data() {
        QTest::addColumn<QByteArray>("tz");
        QTest::addColumn<int>("offset");
        QTest::newRow("path") << QByteArray("/usr/share/zoneinfo/Asia/Tokyo") << 540;
        QTest::newRow("path after colon") << QByteArray(":/usr/share/zoneinfo/Asia/Kolkata") << 330;
    }
    void zoneGivenAsFile() {
        QFETCH(QByteArray, tz);
        QFETCH(int, offset);
        if (!QFile::exists(QString::fromLatin1(tz.mid(tz.startsWith(':') ? 1 : 0)))) {
            QSKIP("no zone file there on this system");
        }
        const TzGuard guard;
        TzGuard::set(tz);
        QCOMPARE(libcOffsetMinutes(), offset);
        QCOMPARE(int(Module2::GetUtcBiasMinutes()), offset);
        const rt::DateTime real = rt::Naive(QDateTime::currentDateTimeUtc());
        QVERIFY(qAbs(real.secsTo(Module2::GetUtcNow())) <= 2);
    }

    // The zone is asked afresh at every call: a changed TZ shows at the next one.
    void tzChangeSeenAtNextCall() {
        const TzGuard guard;
        TzGuard::set("Asia/Kolkata");
        QCOMPARE(int(Module2::GetUtcBiasMinutes()), 330);

        TzGuard::set("America/St_Johns");
        const int stJohns = qtOffsetMinutes("America/St_Johns");
        QVERIFY(stJohns == -210 || stJohns == -150);
        QCOMPARE(int(Module2::GetUtcBiasMinutes()), stJohns);
        const rt::DateTime real = rt::Naive(QDateTime::currentDateTimeUtc());
        QVERIFY(qAbs(real.secsTo(Module2::GetUtcNow())) <= 2);

        TzGuard::set("UTC");
        QCOMPARE(int(Module2::GetUtcBiasMinutes()), 0);
    }
};

QTEST_GUILESS_MAIN(UtcClock)
#include "tst_utcclock.moc"
