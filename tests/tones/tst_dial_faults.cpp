#include "support/fakes.h"
#include "support/nullsink.h"
#include "tones/portaudiooutput.h"
#include "tones/toneplayer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

// Faults of the sound path while dialling, through PortAudio into a private
// sound server. Bounds on time are hang checks, many times what the work needs.
class DialFaults : public QObject {
    Q_OBJECT

    testing::NullSinkServer server;
    testing::CountingMessages messages;
    QTemporaryDir work;
    // One output for the whole run, as the dialer has.
    tones::PortAudioOutput output;

    // What the sink heard of `command`; `meanwhile` runs as dialling starts.
    QString dial(const QString& folder, const QString& command,
                 const std::function<void()>& meanwhile = {}) {
        messages.shown.clear();
        output.setStallLimitMs(2000);
        tones::TonePlayer player(folder, output, messages);
        const QString wav = work.filePath("rec.wav");
        const QString error = server.startRecording(wav);
        if (!error.isEmpty()) {
            return "<" + error + ">";
        }
        std::thread side(meanwhile ? meanwhile : [] {});
        QElapsedTimer timer;
        timer.start();
        player.PlayCommandTones(command);
        side.join();
        server.stopRecording();
        qInfo() << command << "took" << timer.elapsed() << "ms with" << messages.shown.size()
                << "messages";
        return timer.elapsed() < 60000 ? testing::NullSinkServer::decode(wav) : "<hung>";
    }

private slots:
    void noDeviceAtStartThenOne() {
        // No sound server yet in this test's runtime folder.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(server.runtimeDir()));
        QVERIFY(!output.initialize());
        tones::TonePlayer player(TONE_DIR, output, messages);
        player.PlayCommandTones("**31##");
        QCOMPARE(messages.shown.size(), 6);
        const QString error = server.start();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(dial(TONE_DIR, "**31##"), QString("**31##"));
        QVERIFY(messages.shown.isEmpty());
    }

    void serverStopsMidCommand() {
        // Tones of 100 ms in 400 ms files: the server goes away in the middle of
        // the fifth file's silence, far from any tone's edge.
        QTemporaryDir folder;
        QCOMPARE(QProcess::execute(GEN_TONES, {"--out", folder.path(), "--gap-ms", "300"}), 0);
        const QString command = "**1234567890ABCD*#5#";
        const QString heard = dial(folder.path(), command, [] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1850));
            QProcess::execute("pulseaudio", {"-k"});
        });
        QVERIFY2(command.startsWith(heard) && heard.size() >= 3, qPrintable(heard));
        // Exactly one message for every symbol that did not go out.
        QCOMPARE(messages.shown.size(), command.size() - heard.size());
        // Once the server is back, the next command goes out whole.
        server.stop();
        const QString error = server.start();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(dial(TONE_DIR, "**31##"), QString("**31##"));
        QVERIFY(messages.shown.isEmpty());
    }

    void deviceThatTakesNothing() {
        // A suspended sink accepts a stream but never plays it: every tone is
        // given up within a bound and reported.
        QCOMPARE(QProcess::execute("pactl", {"suspend-sink", "uplink", "1"}), 0);
        messages.shown.clear();
        output.setStallLimitMs(500);
        QElapsedTimer timer;
        timer.start();
        tones::TonePlayer(TONE_DIR, output, messages).PlayCommandTones("1234");
        QVERIFY(timer.elapsed() < 60000);
        QProcess::execute("pactl", {"suspend-sink", "uplink", "0"});
        QCOMPARE(messages.shown.size(), 4);
        QCOMPARE(dial(TONE_DIR, "**31##"), QString("**31##"));
    }

    void toneFileOfAnotherKey() {
        // "1.wav" holds the tone of "5": it is refused, the rest goes out.
        QTemporaryDir folder;
        QCOMPARE(QProcess::execute(GEN_TONES, {"--out", folder.path()}), 0);
        QVERIFY(QFile::remove(folder.filePath("1.wav")));
        QVERIFY(QFile::copy(folder.filePath("5.wav"), folder.filePath("1.wav")));
        QCOMPARE(dial(folder.path(), "**1234567890ABCD*#5#"), QString("**234567890ABCD*#5#"));
        QCOMPARE(messages.shown.size(), 1);
    }
};

QTEST_GUILESS_MAIN(DialFaults)
#include "tst_dial_faults.moc"
