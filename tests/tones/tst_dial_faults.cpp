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

// Hang checks only: each bound is many times what the work needs.
class DialFaults : public QObject {
    Q_OBJECT

    testing::NullSinkServer server;
    testing::CountingMessages messages;
    QTemporaryDir work;

    QString record(tones::TonePlayer& player, const QString& command, qint64* elapsedMs = nullptr,
                   const std::function<void()>& recording = {}) {
        const QString wav = work.filePath("rec.wav");
        const QString error = server.startRecording(wav);
        if (!error.isEmpty()) {
            return "<" + error + ">";
        }
        if (recording) {
            recording();
        }
        QElapsedTimer timer;
        timer.start();
        player.PlayCommandTones(command);
        if (elapsedMs != nullptr) {
            *elapsedMs = timer.elapsed();
        }
        server.stopRecording();
        return testing::NullSinkServer::decode(wav);
    }

private slots:
    void init() { messages.shown.clear(); }
    void cleanupTestCase() { server.stop(); }

    // Runs first, while no sound server exists in this test's runtime folder.
    void noDeviceAtStartThenOne() {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(server.runtimeDir()));
        tones::PortAudioOutput output;
        QVERIFY(!output.initialize());
        tones::TonePlayer player(TONE_DIR, output, messages);
        QElapsedTimer timer;
        timer.start();
        player.PlayCommandTones("**31##");
        QCOMPARE(messages.shown.size(), 6);
        QVERIFY(timer.elapsed() < 30000);

        // Once a server is there, the next command finds it.
        const QString error = server.start();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        messages.shown.clear();
        QCOMPARE(record(player, "**31##"), QString("**31##"));
        QVERIFY(messages.shown.isEmpty());
    }

    void serverStopsMidCommand() {
        QVERIFY(server.isRunning());
        tones::PortAudioOutput output;
        QVERIFY(output.initialize());
        // Tones of 100 ms in 400 ms files: the server goes away in the middle of
        // the fifth file's silence, far from any tone's edge.
        QTemporaryDir folder;
        QCOMPARE(QProcess::execute(GEN_TONES,
                                   {"--out", folder.path(), "--tone-ms", "100", "--gap-ms", "300"}),
                 0);
        tones::TonePlayer player(folder.path(), output, messages);
        const QString command = "**1234567890ABCD*#5#";

        std::thread killer;
        qint64 elapsed = 0;
        const QString heard = record(player, command, &elapsed, [&killer] {
            killer = std::thread([] {
                std::this_thread::sleep_for(std::chrono::milliseconds(1850));
                QProcess::execute("pulseaudio", {"-k"});
            });
        });
        if (killer.joinable()) {
            killer.join();
        }
        qInfo() << "heard" << heard << "messages" << messages.shown.size() << "in" << elapsed
                << "ms";
        QVERIFY(elapsed < 60000);
        QVERIFY2(command.startsWith(heard), qPrintable(heard));
        QVERIFY(heard.size() >= 3);
        // Exactly one message for every symbol that did not go out.
        QCOMPARE(messages.shown.size(), command.size() - heard.size());

        // Once the server is back, the next command goes out whole.
        server.stop();
        const QString error = server.start();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        messages.shown.clear();
        QCOMPARE(record(player, "**31##"), QString("**31##"));
        QVERIFY(messages.shown.isEmpty());
    }

    void deviceThatTakesNothing() {
        // A suspended sink accepts a stream but never plays it: every tone must be
        // given up within a bound and reported.
        QVERIFY(server.isRunning());
        tones::PortAudioOutput output;
        QVERIFY(output.initialize());
        output.setStallLimitMs(500);
        tones::TonePlayer player(TONE_DIR, output, messages);
        QCOMPARE(QProcess::execute("pactl", {"suspend-sink", "uplink", "1"}), 0);
        QElapsedTimer timer;
        timer.start();
        player.PlayCommandTones("1234");
        const qint64 elapsed = timer.elapsed();
        QProcess::execute("pactl", {"suspend-sink", "uplink", "0"});
        qInfo() << "messages" << messages.shown.size() << "in" << elapsed << "ms";
        QVERIFY(elapsed < 60000);
        QCOMPARE(messages.shown.size(), 4);

        messages.shown.clear();
        QCOMPARE(record(player, "**31##"), QString("**31##"));
    }

    void toneFilesReplacedBetweenCommands() {
        QVERIFY(server.isRunning());
        tones::PortAudioOutput output;
        QVERIFY(output.initialize());
        QTemporaryDir folder;
        QProcess gen;
        gen.start(GEN_TONES, {"--out", folder.path()});
        QVERIFY(gen.waitForFinished(10000) && gen.exitCode() == 0);
        tones::TonePlayer player(folder.path(), output, messages);
        QCOMPARE(record(player, "1"), QString("1"));
        QVERIFY(QFile::remove(folder.filePath("1.wav")));
        QVERIFY(QFile::copy(folder.filePath("5.wav"), folder.filePath("1.wav")));
        QCOMPARE(record(player, "1"), QString("5"));
        QVERIFY(QFile::remove(folder.filePath("1.wav")));
        QCOMPARE(record(player, "1"), QString());
        QCOMPARE(messages.shown.size(), 1);
    }
};

QTEST_GUILESS_MAIN(DialFaults)
#include "tst_dial_faults.moc"
