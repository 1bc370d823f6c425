#include "support/dialerthread.h"
#include "support/nullsink.h"
#include "tones/portaudiooutput.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

// Faults of the sound path while dialling, through a Dialer on its own thread
// and PortAudio into a private sound server.
class DialFaults : public QObject {
    Q_OBJECT

    testing::NullSinkServer server;
    QTemporaryDir work;
    // The build's tone files, through one output for the whole run, as the
    // program has.
    tones::PortAudioOutput* output = nullptr;
    std::unique_ptr<testing::DialerThread> dialling;
    QStringList failures; // why the symbols of the last dial did not go out

    std::unique_ptr<testing::DialerThread> dialerOf(const QString& folder,
                                                    tones::PortAudioOutput** made = nullptr) {
        auto output = std::make_unique<tones::PortAudioOutput>();
        if (made != nullptr) {
            *made = output.get();
        }
        return std::make_unique<testing::DialerThread>(folder, std::move(output),
                                                       work.filePath("dial.lock"));
    }

    // What the sink heard of `command`; `meanwhile` runs as dialling starts.
    QString dial(testing::DialerThread& dialler, const QString& command,
                 const std::function<void()>& meanwhile = {}) {
        const QString wav = work.filePath("rec.wav");
        const QString error = server.startRecording(wav);
        if (!error.isEmpty()) {
            return "<" + error + ">";
        }
        QElapsedTimer timer;
        timer.start();
        dialler.startDial(command);
        std::thread side(meanwhile ? meanwhile : [] {});
        failures = testing::DialerThread::failures(dialler.waitForDial());
        side.join();
        server.stopRecording();
        qInfo() << command << "took" << timer.elapsed() << "ms with" << failures.size()
                << "failures";
        return testing::NullSinkServer::decode(wav);
    }

    // The symbols the failures name ("'3': ..."), in order.
    QString failedSymbols() const {
        QString symbols;
        for (const QString& reason : failures) {
            symbols += reason.mid(1, 1);
        }
        return symbols;
    }

private slots:
    void initTestCase() {
        QVERIFY(work.isValid());
        dialling = dialerOf(TONE_DIR, &output);
    }
    void cleanupTestCase() { dialling.reset(); }

    void noDeviceAtStartThenOne() {
        // No sound server yet in this test's runtime folder.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(server.runtimeDir()));
        QVERIFY(!dialling->startAudio());
        failures = testing::DialerThread::failures(dialling->dial("**31##"));
        QCOMPARE(failedSymbols(), "**31##");
        const QString error = server.start();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(dial(*dialling, "**31##"), QString("**31##"));
        QCOMPARE(failures, QStringList());
    }

    void serverStopsMidCommand() {
        // Tones of 100 ms in 400 ms files: the server goes away in the middle of
        // the fifth file's silence, far from any tone's edge.
        QTemporaryDir folder;
        QCOMPARE(QProcess::execute(GEN_TONES, {"--out", folder.path(), "--gap-ms", "300"}), 0);
        const auto dialler = dialerOf(folder.path());
        const QString command = "**1234567890ABCD*#5#";
        const QString heard = dial(*dialler, command, [] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1850));
            QProcess::execute("pulseaudio", {"-k"});
        });
        QVERIFY2(command.startsWith(heard) && heard.size() >= 3, qPrintable(heard));
        // Exactly one failure for every symbol that did not go out.
        QCOMPARE(failedSymbols(), command.mid(heard.size()));
        // Once the server is back, the next command goes out whole.
        server.stop();
        const QString error = server.start();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(dial(*dialler, "**31##"), QString("**31##"));
        QCOMPARE(failures, QStringList());
    }

    void deviceThatTakesNothing() {
        // A suspended sink accepts a stream but never plays it: every tone is
        // given up within a bound and reported.
        QCOMPARE(QProcess::execute("pactl", {"suspend-sink", "uplink", "1"}), 0);
        output->setStallLimitMs(500);
        failures = testing::DialerThread::failures(dialling->dial("1234"));
        output->setStallLimitMs(2000);
        QProcess::execute("pactl", {"suspend-sink", "uplink", "0"});
        QCOMPARE(failedSymbols(), "1234");
        QVERIFY2(failures.filter("took nothing for 500 ms").size() == 4,
                 qPrintable(failures.join('\n')));
        QCOMPARE(dial(*dialling, "**31##"), QString("**31##"));
        QCOMPARE(failures, QStringList());
    }

    void toneFileOfAnotherKey() {
        // "1.wav" holds the tone of "5": it is refused, the rest goes out.
        QTemporaryDir folder;
        QCOMPARE(QProcess::execute(GEN_TONES, {"--out", folder.path()}), 0);
        QVERIFY(QFile::remove(folder.filePath("1.wav")));
        QVERIFY(QFile::copy(folder.filePath("5.wav"), folder.filePath("1.wav")));
        const auto dialler = dialerOf(folder.path());
        QCOMPARE(dial(*dialler, "**1234567890ABCD*#5#"), QString("**234567890ABCD*#5#"));
        QCOMPARE(failedSymbols(), "1");
        QVERIFY2(failures.at(0).contains("does not sound the pair of 1"),
                 qPrintable(failures.at(0)));
    }
};

QTEST_GUILESS_MAIN(DialFaults)
#include "tst_dial_faults.moc"
