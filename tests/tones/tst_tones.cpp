// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fakes.h"
#include "tones/outputs.h"
#include "tones/tonecheck.h"

#include <QDir>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cmath>
#include <numbers>
#include <sys/stat.h>

// `ms` of the frequencies at equal level (their summed peak at `dbfs`), with
// raised-cosine fades, between 4 ms of silence either side; mono.
tones::Samples sound(const QList<double>& hz, double ms = 100, double dbfs = -6, int rate = 48000,
                     double fadeMs = 5) {
    const int lead = rate / 250;
    const int n = int(std::lround(ms * rate / 1000));
    tones::Samples s{{rate, 1}, std::vector<float>(std::size_t(n + 2 * lead))};
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / rate;
        // 0 to 1 through the fade; a fade of 0 ms (0 / 0) is no fade.
        const double fade = std::min(1.0, std::min(i, n - 1 - i) / (fadeMs * rate / 1000));
        double value = 0;
        for (double f : hz) {
            value += std::sin(2 * std::numbers::pi * f * t) / hz.size();
        }
        s.frames[std::size_t(lead) + std::size_t(i)] = float(
            std::pow(10, dbfs / 20) * std::pow(std::sin(std::numbers::pi / 2 * fade), 2) * value);
    }
    return s;
}

// b added to a, or after it.
tones::Samples mix(tones::Samples a, const tones::Samples& b, bool after = false) {
    a.frames.resize(after ? a.frames.size() + b.frames.size() : a.frames.size());
    for (std::size_t i = 0; i < b.frames.size(); ++i) {
        a.frames[after ? a.frames.size() - b.frames.size() + i : i] += b.frames[i];
    }
    return a;
}

// The played column of the dialling table: frames played when the device failed,
// -1 all written, or one of these.
constexpr qint64 never = -2, noDevice = -3, drainFails = -4;

// The DTMF table; whether a sound carries a key's pair; the Dialer and its tone
// player with a fake output. The tone files are real, written by the tone
// generator at 8 kHz; file n's tone lasts 40 + 5n ms, so that a write tells its
// file.
class TonesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir{QDir::tempPath() + QString::fromUtf8("/t\xc3\xb6ne \xe2\x98\x85-XXXXXX")};
    testing::DialRecord record; // the dialer's signals and its output's calls

    // A dialer whose output's calls are noted too.
    std::unique_ptr<tones::Dialer> dialer(const QString& folder, testing::FakeOutput** output,
                                          const std::function<void()>& onFailure = {}) {
        auto fake = std::make_unique<testing::FakeOutput>();
        fake->note = [this](const QString& call) { record.note(call); };
        *output = fake.get();
        return record.dialer(folder, std::move(fake), onFailure);
    }

private slots:
    void initTestCase() {
        for (int n = 1; n <= 16; ++n) {
            const QString args = QString("--rate 8000 --gap-ms 0 --tone-ms %1 --keys %2 --out")
                                     .arg(40 + 5 * n)
                                     .arg(QChar("1234567890*#ABCD"[n - 1]));
            QCOMPARE(QProcess::execute(GEN_TONES, args.split(' ') << dir.path()), 0);
        }
    }
    void init() {
        record.take();
        // Threads and objects that end wrongly say so.
        QTest::failOnWarning(QRegularExpression("QThread|QObject|QMutex|QWaitCondition"));
    }

    void keys() {
        // The standard keypad, written out: each symbol's row and column and the
        // file of its tone; lower-case letters are keys too, but no other
        // character (a full-width digit, an Arabic-Indic one, NUL).
        QStringList keys;
        for (const char16_t symbol : u"1234567890*#ABCDadEe@\uff11\u0661") {
            const auto key = tones::dtmfKey(symbol);
            keys << (key ? QString::asprintf("%c %g %g %s", char(symbol), key->rowHz(),
                                             key->columnHz(), tones::toneFileName(*key).c_str())
                         : "-");
        }
        // clang-format off
        QCOMPARE(keys.join(", "), "1 697 1209 1.wav, 2 697 1336 2.wav, 3 697 1477 3.wav, 4 770 1209 4.wav, 5 770 1336 5.wav, 6 770 1477 6.wav, "
                                  "7 852 1209 7.wav, 8 852 1336 8.wav, 9 852 1477 9.wav, 0 941 1336 10.wav, * 941 1209 11.wav, # 941 1477 12.wav, "
                                  "A 697 1633 13.wav, B 770 1633 14.wav, C 852 1633 15.wav, D 941 1633 16.wav, a 697 1633 13.wav, d 941 1633 16.wav, "
                                  "-, -, -, -, -, -");
        // clang-format on
    }

    void verdicts_data() {
        QTest::addColumn<tones::Samples>("tone");
        QTest::addColumn<QChar>("symbol");
        QTest::addColumn<bool>("carries");
        // clang-format off
        QTest::newRow("column missing") << sound({770}) << QChar('5') << false;
        QTest::newRow("row 3 % low") << sound({770 * 0.97, 1336}) << QChar('5') << false;
        QTest::newRow("column 3 % high") << sound({697, 1633 * 1.03}) << QChar('A') << false;
        QTest::newRow("both 2 % off") << sound({697 * 1.02, 1633 * 0.98}) << QChar('A') << true;
        QTest::newRow("-90 dBFS") << sound({770, 1336}, 100, -90) << QChar('5') << false;
        QTest::newRow("stereo") << tones::convertSamples(sound({852, 1336}, 100, -6, 44100), {44100, 2}) << QChar('8') << true;
        QTest::newRow("30 ms") << sound({770, 1336}, 30, -6, 48000, 0) << QChar('5') << false;
        QTest::newRow("40 ms all fade, 8 kHz") << sound({770, 1336}, 40, -6, 8000, 20) << QChar('5') << true;
        QTest::newRow("column 10 dB down") << mix(sound({770}, 100, -6), sound({1336}, 100, -16)) << QChar('5') << false;
        QTest::newRow("column 6 dB down") << mix(sound({770}, 100, -6), sound({1336}, 100, -12)) << QChar('5') << true;
        QTest::newRow("second column 6 dB down") << mix(sound({770, 1336}), sound({1477}, 100, -18)) << QChar('5') << false;
        QTest::newRow("second row 6 dB down") << mix(sound({770, 1336}), sound({852}, 100, -18)) << QChar('5') << false;
        QTest::newRow("under a 2 kHz hum as loud") << mix(sound({770, 1336}), sound({2000})) << QChar('5') << false;
        QTest::newRow("straight on into 6") << mix(sound({770, 1336}), sound({770, 1477}), true) << QChar('5') << false;
        // clang-format on
        // The files the build writes carry their own key and no other.
        for (const tones::DtmfKey& own : tones::kDtmfKeys) {
            const auto file = tones::readSoundFile(
                QDir(TONE_DIR).filePath(QString::fromStdString(tones::toneFileName(own))));
            for (const tones::DtmfKey& key : tones::kDtmfKeys) {
                QTest::addRow("file of %c, key %c", own.symbol, key.symbol)
                    << file.value_or(tones::Samples{}) << QChar(key.symbol) << (key == own);
            }
        }
    }
    void verdicts() {
        QFETCH(tones::Samples, tone);
        QFETCH(QChar, symbol);
        QFETCH(bool, carries);
        QCOMPARE(tones::carriesDtmfPair(tone, tones::dtmfKey(symbol.unicode()).value()), carries);
    }

    // A command dialled from the tone files, "3.wav" made bad: missing, copied
    // from another file and cut to a size (-1: whole), a directory, or a fifo with
    // no writer, standing in for a file that cannot be read (root reads any
    // file), which must not hang. The device fails at the third write, when
    // `played` frames had played (-1: all written; -2: it does not fail; -3:
    // there is no device). Each symbol that does not go out is reported once,
    // after the tones before it, and nothing sounds in its place; `why` is the
    // first reason. The stream is opened afresh after a failed device.
    void dialling_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("three");
        QTest::addColumn<qint64>("played");
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("why");
        const QString good = dir.filePath("3.wav"), badFile = "[ o 1 d !3 2 d !3 d c ]";
        const qint64 never = -2;
        // clang-format off
        QTest::newRow("fixed command") << "**31##" << "" << never << "[ o 11 11 3 1 12 12 d c ]" << "";
        QTest::newRow("every symbol") << "1234567890*#ABCDabcd" << "" << never << "[ o 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 13 14 15 16 d c ]" << "";
        QTest::newRow("empty") << "" << "" << never << "[ ]" << "";
        QTest::newRow("blank and tab skipped") << "1 2\t3" << "" << never << "[ o 1 2 3 d c ]" << "";
        QTest::newRow("unknown never re-sounds the last tone") << "1-2" << "" << never << "[ o 1 d !- 2 d c ]" << "'-': not a DTMF symbol";
        QTest::newRow("placeholder word") << "send" << "" << never << "[ !s !e !n o 16 d c ]" << "'s': not a DTMF symbol";
        QTest::newRow("beyond 16 bits") << QString(32800, u'5') << "" << never << "[ o " + QString("5 ").repeated(32800) + "d c ]" << "";
        QTest::newRow("no device") << "12" << "" << noDevice << "[ !1 !2 ]" << "'1': no device";
        QTest::newRow("device fails, tones before it had sounded") << "12345" << "" << qint64(-1) << "[ o 1 2 3x c !3 o 4 5 d c ]" << "'3': did not sound: device failed";
        QTest::newRow("device fails, the second had not") << "12345" << "" << qint64(500) << "[ o 1 2 3x c !2 !3 o 4 5 d c ]" << "";
        QTest::newRow("device fails, none had") << "12345" << "" << qint64(0) << "[ o 1 2 3x c !1 !2 !3 o 4 5 d c ]" << "";
        QTest::newRow("drain fails, none had sounded") << "12" << "" << drainFails << "[ o 1 2 dx c !1 !2 ]" << "'1': did not sound: device failed";
        QTest::newRow("3.wav missing") << "1323" << "missing" << never << badFile << "3.wav: no such file";
        QTest::newRow("3.wav empty") << "1323" << good + " 0" << never << badFile << "3.wav: Format not recognised";
        QTest::newRow("3.wav text") << "1323" << QString(__FILE__) + " -1" << never << badFile << "3.wav: Format not recognised";
        QTest::newRow("3.wav truncated") << "1323" << good + " " + QString::number(QFile(good).size() - 20) << never << badFile << "3.wav: cut short";
        QTest::newRow("3.wav a directory") << "1323" << "directory" << never << badFile << "3.wav: not a regular file";
        QTest::newRow("3.wav header only") << "1323" << good + " 44" << never << badFile << "3.wav: holds no sound";
        QTest::newRow("3.wav unreadable") << "1323" << "fifo" << never << badFile << "3.wav: not a regular file";
        QTest::newRow("3.wav sounds 2") << "1323" << dir.filePath("2.wav") + " -1" << never << badFile << "3.wav: does not sound the pair of 3 (697 Hz, 1477 Hz)";
        // clang-format on
    }
    void dialling() {
        QFETCH(QString, command);
        QFETCH(QString, three);
        QFETCH(qint64, played);
        QFETCH(QString, events);
        QFETCH(QString, why);
        const QTemporaryDir bad;
        const QString path = bad.filePath("3.wav"), from = three.section(' ', 0, -2);
        for (const char* file : {"1.wav", "2.wav"})
            QVERIFY(QFile::copy(dir.filePath(file), bad.filePath(file)));
        QVERIFY(
            three.isEmpty() || three == "missing" || (three == "directory" && QDir().mkdir(path)) ||
            (three == "fifo" && ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0) ||
            (QFile::copy(from, path) &&
             (three.endsWith(" -1") || QFile::resize(path, three.section(' ', -1).toLongLong()))));
        for (int i = 0; why.endsWith("Format not recognised") && i < 2; ++i)
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression("sf_open .*3.wav failed: Format"));
        testing::FakeOutput* output = nullptr;
        const auto made = dialer(three.isEmpty() ? dir.path() : bad.path(), &output);
        output->device = played != noDevice;
        output->failingWrite = played < -1 ? -1 : 2;
        output->failingDrain = played == drainFails;
        output->playedAtFailure = std::max<qint64>(played, output->failingDrain ? 0 : -1);
        QCOMPARE(made->startAudio(), output->device);
        made->dial(command);
        QVERIFY2(record.reasons.value(0).contains(why), qPrintable(record.reasons.value(0)));
        // The log names each symbol reported, by its position, in turn.
        QList<int> notSent;
        for (const QString& event : events.split(' ')) {
            if (event.startsWith('!'))
                notSent << int(
                    command.indexOf(event.at(1), notSent.value(notSent.size() - 1, -1) + 1));
        }
        const QJsonObject logged = record.lastLogged();
        QCOMPARE(logged["event"].toString() + " " +
                     QJsonDocument(logged["not_sent"].toArray()).toJson(QJsonDocument::Compact),
                 "dial-end " + QJsonDocument(QJsonArray::fromVariantList(
                                                 QVariantList(notSent.begin(), notSent.end())))
                                   .toJson(QJsonDocument::Compact));
        QCOMPARE(record.take(), events);
    }

    // The sinks that an operator's choice of output names: the sink of that
    // name, before any sink of that description, exactly as the server shows
    // them; two of one description are both named (which one is meant is
    // unknown).
    void outputChoice_data() {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("sinks");
        // clang-format off
        QTest::newRow("name") << "uplink" << "uplink";
        QTest::newRow("description") << "Radio uplink" << "uplink";
        QTest::newRow("blanks around") << " Radio uplink\t" << "uplink";
        QTest::newRow("another case") << "radio uplink" << "";
        QTest::newRow("a name before an earlier sink's description") << "line" << "line";
        QTest::newRow("description of two") << "USB Audio" << "usb-1 usb-2";
        QTest::newRow("part of a name") << "upl" << "";
        QTest::newRow("no choice, a sink without description") << "" << "";
        // clang-format on
    }
    void outputChoice() {
        QFETCH(QString, given);
        QFETCH(QString, sinks);
        QList<tones::OutputInfo> outputs;
        for (const QString& sink : QString("speakers=Desk speakers;uplink=Radio uplink;usb-1=USB "
                                           "Audio;monitor=line;line=Line out;usb-2=USB Audio;hdmi=")
                                       .split(';'))
            outputs.append({sink.section('=', 0, 0), sink.section('=', 1)});
        QCOMPARE(tones::resolveOutput(given, outputs).join(' '), sinks);
    }

    // The transmitter keyed around a command (3.wav missing in "1323"): once,
    // once the output is open and before the tones, the lead queued as silence
    // ahead of the first; released
    // once the tones before a failure have sounded, while its message waits,
    // and keyed again before the next tone; released on a failed device and a
    // stop. A dial it cannot be opened or keyed for sends nothing; a symbol it
    // cannot be keyed again for fails. `fault`: what fails, or when a stop is
    // asked.
    void keying_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("events");
        // clang-format off
        QTest::newRow("keyed once") << "12" << "" << "o K [ _ 1 2 _ R c ]";
        QTest::newRow("released for each message") << "1323" << "" << "o K [ _ 1 _ R c !3 K o _ 2 _ R c !3 ]";
        QTest::newRow("no symbol first") << "E1" << "" << "o K [ R d !E K _ 1 _ R c ]";
        QTest::newRow("device fails") << "124" << "write 2" << "o K [ _ 1 2x c R !2 K o _ 4 _ R c ]";
        QTest::newRow("not opened: nothing sent") << "12" << "open" << "o Ox c refused ]";
        QTest::newRow("not keyed: nothing sent") << "12" << "key 0" << "o Kx c refused ]";
        QTest::newRow("not keyed again: that symbol fails") << "1E22" << "key 1" << "o K [ _ 1 _ R c !E Kx !2 K o _ 2 _ R c ]";
        QTest::newRow("stop as it keys: nothing sounds") << "12" << "stop at K" << "o K c R stopped 0 ]";
        QTest::newRow("stop while tones are queued") << "1224" << "stop at 2" << "o K [ _ 1 2 c R stopped 2 ]";
        // clang-format on
    }
    void keying() {
        QFETCH(QString, command);
        QFETCH(QString, fault);
        QFETCH(QString, events);
        const QTemporaryDir three; // the tone files but 3.wav
        for (const char* file : {"1.wav", "2.wav", "4.wav"})
            QVERIFY(QFile::copy(dir.filePath(file), three.filePath(file)));
        testing::FakeOutput* output = nullptr;
        const auto made = dialer(three.path(), &output);
        auto fake = std::make_unique<testing::FakeTransmitter>();
        fake->note = [this](const QString& call) { record.note(call); };
        fake->openFails = fault == "open";
        fake->failingKeys = {fault.startsWith("key ") ? fault.mid(4).toInt() : -1};
        tones::Dialer* stopped = made.get();
        if (fault == "stop at K")
            fake->onKey = [stopped] { stopped->requestStop(); };
        if (fault == "stop at 2")
            output->note = [this, stopped](const QString& call) {
                record.note(call);
                if (call == "2")
                    stopped->requestStop();
            };
        output->failingWrite = fault == "write 2" ? 2 : -1;
        made->setTransmitter(std::move(fake));
        made->setStation({{}, {"RIG", 2, "127.0.0.1:4532", {}, 0, 0}});
        connect(made.get(), &tones::Dialer::dialRefused, made.get(),
                [this](const QString& reason) { record.note("refused", reason); });
        connect(made.get(), &tones::Dialer::dialStopped, made.get(),
                [this](int sent) { record.note(QString("stopped %1").arg(sent)); });
        made->dial(command);
        QVERIFY(!events.contains("refused") ||
                record.reasons.value(0).contains("rig_open: Communication timed out"));
        QCOMPARE(record.take(), events);
    }

    // The settings' keying test: keyed and released, in turn with the dials
    // (a stop cuts the second it keys for short), or why not.
    void keyingTest() {
        testing::FakeOutput* output = nullptr;
        const auto made = dialer(dir.path(), &output);
        auto fake = std::make_unique<testing::FakeTransmitter>();
        fake->note = [this](const QString& call) { record.note(call); };
        fake->failingKeys = {1};
        tones::Dialer* stopped = made.get();
        fake->onKey = [stopped] { stopped->requestStop(); };
        made->setTransmitter(std::move(fake));
        connect(made.get(), &tones::Dialer::keyingTested, made.get(),
                [this](const QString& failure) { record.note("tested: " + failure); });
        tones::DialLock other;
        QCOMPARE(other.lock({}), QString());
        QThread thread;
        made->moveToThread(&thread);
        thread.start();
        tones::PttSettings ptt{"RIG", 2, {}, {}, 250, 100};
        for (const char* type : {"RIG", "RIG", "NONE"}) {
            ptt.type = type;
            QMetaObject::invokeMethod(made.get(), "testKeying", Q_ARG(tones::PttSettings, ptt));
        }
        QThread::msleep(50); // time for a test that does not wait for the lock
        record.note("unlocked");
        other.unlock();
        thread.quit();
        thread.wait();
        QCOMPARE(record.take(),
                 "unlocked K R tested:  Kx tested: rig_open: Communication timed out "
                 "tested: the PTT type is NONE: nothing is keyed");
    }

    // Hamlib's rig models for the settings: the dummy and rigctld among them,
    // sorted by maker, then name.
    void rigModels() {
        const QList<tones::RigModelInfo> models = tones::rigModels();
        const auto key = [](const tones::RigModelInfo& rig) {
            return std::pair(rig.maker.toLower(), rig.name.toLower());
        };
        QVERIFY(std::is_sorted(models.begin(), models.end(),
                               [&](const auto& a, const auto& b) { return key(a) < key(b); }));
        const auto has = [&](int model, const char* name) {
            return std::any_of(models.begin(), models.end(), [&](const tones::RigModelInfo& rig) {
                return rig.model == model && rig.maker == "Hamlib" && rig.name == name;
            });
        };
        QVERIFY(models.size() > 100 && has(1, "Dummy") && has(2, "NET rigctl"));
    }

    // On its own thread, as the program runs it: a dial waits while another dial
    // holds the lock; a failure waits until the operator has seen it, or until
    // the program closes, which ends the dial and the thread.
    void waitsForTheLockAndTheOperator() {
        tones::DialLock other;
        QCOMPARE(other.lock({}), QString());
        QSemaphore failed;
        testing::FakeOutput* output = nullptr;
        const auto made = dialer(dir.path(), &output, [&failed] { failed.release(); });
        QThread thread;
        made->moveToThread(&thread);
        thread.start();
        QMetaObject::invokeMethod(made.get(), "dial", Q_ARG(QString, "1E2"));
        QThread::msleep(50); // time for a dial that does not wait to start
        record.note("unlocked");
        other.unlock();
        failed.acquire();
        QThread::msleep(50); // time for a dial that does not wait to go on
        record.note("seen");
        made->acknowledgeFailure();
        QMetaObject::invokeMethod(made.get(), "dial", Q_ARG(QString, "E"));
        failed.acquire();
        made->prepareForShutdown();
        thread.quit();
        thread.wait();
        QCOMPARE(record.take(), "unlocked [ o 1 d !E seen 2 d c ] [ !E ]");
    }
};

QTEST_GUILESS_MAIN(TonesTest)
#include "tst_tones.moc"
