#include "support/fakes.h"
#include "support/nullsink.h"
#include "tones/portaudiooutput.h"
#include "tones/toneplayer.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class DialEndToEnd : public QObject {
    Q_OBJECT

    // PulseAudio, or PipeWire with DIAL_SOUND_SERVER=pipewire (Debian's desktop).
    testing::NullSinkServer server{testing::NullSinkServer::fromEnvironment()};
    std::unique_ptr<tones::PortAudioOutput> output;
    testing::CountingMessages messages;
    QTemporaryDir work;

    // Dials `command` from `folder` and returns what the sink heard.
    QString dial(const QString& folder, const QString& command) {
        const QString wav = work.filePath("rec.wav");
        const QString error = server.startRecording(wav);
        if (!error.isEmpty()) {
            return "<" + error + ">";
        }
        tones::TonePlayer player(folder, *output, messages);
        player.PlayCommandTones(command);
        server.stopRecording();
        return testing::NullSinkServer::decode(wav);
    }

private slots:
    void initTestCase() {
        QVERIFY(work.isValid());
        const QString error = server.start();
        QVERIFY2(error.isEmpty(), qPrintable(error));
        output = std::make_unique<tones::PortAudioOutput>();
        QVERIFY2(output->initialize(), "no sound output through the test's sound server");
    }
    void cleanupTestCase() {
        output.reset();
        server.stop();
    }
    void init() { messages.shown.clear(); }

    void dialsExactly_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("fixed command") << "**31##";
        QTest::newRow("every symbol") << "**1234567890ABCD*#5#";
        QTest::newRow("lower-case letters") << "**11#a0b#";
    }
    void dialsExactly() {
        QFETCH(QString, command);
        QCOMPARE(dial(TONE_DIR, command), command.toUpper());
        QVERIFY(messages.shown.isEmpty());
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
        QCOMPARE(dial(folder.path(), "*14#25#36"), QString("*14#25#36"));
        QCOMPARE(dial(folder.path(), "#4*1"), QString("#4*1"));
        QVERIFY(messages.shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(DialEndToEnd)
#include "tst_dial_e2e.moc"
