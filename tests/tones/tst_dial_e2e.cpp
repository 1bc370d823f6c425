// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fakes.h"
#include "support/nullsink.h"
#include "tones/portaudiooutput.h"

#include <QTest>
#include <thread>

// Dials through the Dialer and PortAudio into a private sound server and decodes
// what the sink heard with multimon-ng: commands go out exactly, and the sound
// path's faults while dialling are reported, one failure for each symbol not
// heard. PulseAudio, or with DIAL_SOUND_SERVER=pipewire PipeWire as on Debian's
// desktop.
class DialEndToEnd : public QObject {
    Q_OBJECT

    testing::NullSinkServer server{testing::NullSinkServer::fromEnvironment()};
    QTemporaryDir work;
    testing::DialRecord record;
    // The build's tone files through one output for the whole run, as the program has.
    std::unique_ptr<tones::Dialer> dialer;
    tones::PortAudioOutput* output = nullptr; // the dialer's

    std::unique_ptr<tones::Dialer> dialerOf(const QString& folder) {
        auto sound = std::make_unique<tones::PortAudioOutput>();
        output = dialer ? output : sound.get();
        return record.dialer(folder, std::move(sound));
    }
    // A folder of tone files: steps apart by ";", each the options of a run of
    // the tone generator, or "1.wav=5.wav" for a file made a copy of another.
    QString toneFiles(const QString& steps) {
        QString folder = work.filePath(QString::number(qHash(steps))) + '/';
        for (const QString& step : steps.split(';')) {
            const QString copied = step.section('=', 0, 0), from = step.section('=', 1);
            const bool done =
                from.isEmpty()
                    ? QProcess::execute(GEN_TONES, step.split(' ') << "--out" << folder) == 0
                    : QFile::remove(folder + copied) && QFile::copy(folder + from, folder + copied);
            if (!done)
                return "<" + step + ">";
        }
        return folder;
    }
    // What the sink heard of `command`, and the symbols that failed; `meanwhile`
    // runs on a thread of its own as dialling starts.
    QString dial(
        tones::Dialer& with, const QString& command,
        const std::function<void()>& meanwhile = [] {}) {
        const QString wav = work.filePath("rec.wav");
        if (const QString error = server.startRecording(wav); !error.isEmpty())
            return "<" + error + ">";
        std::thread side(meanwhile);
        with.dial(command);
        side.join();
        server.stopRecording();
        QString failed;
        for (const QString& event : record.take().split(' '))
            failed += event.startsWith('!') ? event.mid(1) : "";
        return testing::NullSinkServer::decode(wav) + (failed.isEmpty() ? "" : " not " + failed);
    }

private slots:
    void initTestCase() {
        dialer = dialerOf(TONE_DIR);
        // No sound device before the server runs (PipeWire's ALSA device may be
        // there without it): every symbol is reported, and once there is a
        // device the same dialer dials.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(server.runtimeDir()));
        if (testing::NullSinkServer::fromEnvironment() == testing::SoundServer::PulseAudio) {
            QVERIFY(!dialer->startAudio());
            dialer->dial("**31##");
            QCOMPARE(record.take(), "[ !* !* !3 !1 !# !# ]");
        }
        QCOMPARE(server.start(), QString());
    }

    // Tone files written by the tone generator with these options ("": the
    // build's), the commands dialled, "|" between them, and what was heard.
    void dials_data() {
        QTest::addColumn<QString>("files");
        QTest::addColumn<QString>("commands");
        QTest::addColumn<QString>("heard");
        // clang-format off
        QTest::newRow("the build's") << "" << "**31##|**1234567890ABCD*#5#|**11#a0b#" << "**31##|**1234567890ABCD*#5#|**11#A0B#";
        // The stream opens at the first file's rate and the other is converted.
        QTest::newRow("8 kHz 16-bit and 44.1 kHz float") << "--rate 8000 --keys 123*;--rate 44100 --format float --keys 456#" << "*14#25#36|#4*1" << "*14#25#36|#4*1";
        // With no silence after it, a last tone cut short by as little as the device's queue is not heard.
        QTest::newRow("60 ms, no gap") << "--tone-ms 60 --gap-ms 0 --keys 58" << "5|8" << "5|8";
        // A file that sounds another key is refused; the rest goes out.
        QTest::newRow("1.wav sounds 5") << "--keys 1234567890*#ABCD;1.wav=5.wav" << "**1234567890ABCD*#5#" << "**234567890ABCD*#5# not 1";
        // clang-format on
    }
    void dials() {
        QFETCH(QString, files);
        QFETCH(QString, commands);
        QFETCH(QString, heard);
        const auto made = files.isEmpty() ? nullptr : dialerOf(toneFiles(files));
        QStringList got;
        for (const QString& command : commands.split('|'))
            got << dial(made ? *made : *dialer, command);
        QCOMPARE(got.join('|'), heard);
    }

    void serverStopsMidCommand() {
        // Tones of 100 ms in 400 ms files: the server goes away in the middle of
        // the fifth file's silence, far from any tone's edge. Exactly one failure
        // for every symbol that was not heard; once the server is back, the next
        // command goes out whole.
        const auto slow = dialerOf(toneFiles("--gap-ms 300"));
        const QString command = "**1234567890ABCD*#5#";
        const QString heard = dial(*slow, command, [] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1850));
            QProcess::execute("pulseaudio", {"-k"});
        });
        const QString sounded = heard.section(' ', 0, 0);
        QVERIFY2(sounded.size() >= 3 && heard == sounded + " not " + command.mid(sounded.size()),
                 qPrintable(heard));
        server.stop();
        QCOMPARE(server.start(), QString());
        QCOMPARE(dial(*slow, "**31##"), "**31##");
    }

    void deviceThatTakesNothing() {
        // A suspended sink accepts a stream but never plays it: every tone is
        // given up within the stall limit and reported, those that no longer
        // fit into the device's queue and those that wait in it; then the sink
        // plays again.
        QCOMPARE(QProcess::execute("pactl", {"suspend-sink", "uplink", "1"}), 0);
        output->setStallLimitMs(500);
        dialer->dial("123456789012");
        output->setStallLimitMs(2000);
        QProcess::execute("pactl", {"suspend-sink", "uplink", "0"});
        QCOMPARE(record.reasons.filter("took nothing for 500 ms").size(), 8);
        QCOMPARE(record.reasons.filter("played nothing for 500 ms").size(), 4);
        QCOMPARE(record.take(), "[ !1 !2 !3 !4 !5 !6 !7 !8 !9 !0 !1 !2 ]");
        QCOMPARE(dial(*dialer, "**31##"), "**31##");
    }
};

QTEST_GUILESS_MAIN(DialEndToEnd)
#include "tst_dial_e2e.moc"
