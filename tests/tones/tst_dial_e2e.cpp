#include "support/dialerthread.h"
#include "support/nullsink.h"
#include "tones/portaudiooutput.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Dials through a Dialer on its own thread and PortAudio into a private sound
// server, and decodes what the sink heard.
class DialEndToEnd : public QObject {
    Q_OBJECT

    // PulseAudio, or PipeWire with DIAL_SOUND_SERVER=pipewire (Debian's desktop).
    testing::NullSinkServer server{testing::NullSinkServer::fromEnvironment()};
    QTemporaryDir work;

    std::unique_ptr<testing::DialerThread> dialerOf(const QString& folder) {
        return std::make_unique<testing::DialerThread>(
            folder, std::make_unique<tones::PortAudioOutput>(), work.filePath("dial.lock"));
    }

    // What the sink heard of `command`, dialled without a failure.
    QString dial(testing::DialerThread& dialling, const QString& command) {
        const QString wav = work.filePath("rec.wav");
        const QString error = server.startRecording(wav);
        if (!error.isEmpty()) {
            return "<" + error + ">";
        }
        const QStringList signalled = dialling.dial(command);
        server.stopRecording();
        if (signalled != QStringList{"started " + command, "finished"}) {
            return "<" + signalled.join(" | ") + ">";
        }
        return testing::NullSinkServer::decode(wav);
    }

private slots:
    void initTestCase() {
        QVERIFY(work.isValid());
        const QString error = server.start();
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }
    void cleanupTestCase() { server.stop(); }

    void dialsExactly() {
        // One dialer for all, as the program has.
        const auto dialling = dialerOf(TONE_DIR);
        QVERIFY2(dialling->startAudio(), "no sound output through the test's sound server");
        for (const QString command : {"**31##", "**1234567890ABCD*#5#", "**11#a0b#"}) {
            QCOMPARE(dial(*dialling, command), command.toUpper());
        }
    }

    void otherRatesAndFloatSamples() {
        // Files at 8 kHz, 16-bit, and at 44.1 kHz, float, mixed in one command:
        // the stream opens at the first file's rate and the other is converted.
        QTemporaryDir folder;
        const QStringList out{"--out", folder.path()};
        QCOMPARE(
            QProcess::execute(GEN_TONES, out + QStringList{"--rate", "8000", "--keys", "123*"}), 0);
        QCOMPARE(QProcess::execute(GEN_TONES, out + QStringList{"--rate", "44100", "--format",
                                                                "float", "--keys", "456#"}),
                 0);
        const auto dialling = dialerOf(folder.path());
        QCOMPARE(dial(*dialling, "*14#25#36"), QString("*14#25#36"));
        QCOMPARE(dial(*dialling, "#4*1"), QString("#4*1"));
    }

    void lastToneSoundsWhole() {
        // 60 ms tones with no silence after them: a command's last tone, cut
        // short by as little as the device's queue, is no longer heard.
        QTemporaryDir folder;
        QCOMPARE(QProcess::execute(GEN_TONES, {"--out", folder.path(), "--tone-ms", "60",
                                               "--gap-ms", "0", "--keys", "58"}),
                 0);
        const auto dialling = dialerOf(folder.path());
        QCOMPARE(dial(*dialling, "5"), QString("5"));
        QCOMPARE(dial(*dialling, "8"), QString("8"));
    }
};

QTEST_GUILESS_MAIN(DialEndToEnd)
#include "tst_dial_e2e.moc"
