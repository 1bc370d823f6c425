#include "support/fakes.h"
#include "tones/tonefile.h"
#include "tones/toneplayer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sndfile.h>
#include <sys/stat.h>

namespace {

// File n holds n frames of the value n / 32, so that a block tells which file
// it came from.
void writeMarkerFile(const QString& path, int n, int rate = 8000, int format = SF_FORMAT_PCM_16) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | format;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    QVERIFY(f != nullptr);
    std::vector<float> samples(std::size_t(n) * 10, float(n) / 32);
    sf_writef_float(f, samples.data(), sf_count_t(samples.size()));
    sf_close(f);
}

int fileOf(const std::vector<float>& block) {
    return block.empty() ? 0 : int(std::lround(block.front() * 32));
}

} // namespace

class TonePlayerTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    testing::CountingMessages messages;
    testing::RecordingOutput output;

    QList<int> playedFiles() const {
        QList<int> files;
        for (const auto& b : output.blocks) {
            files << fileOf(b);
        }
        return files;
    }

private slots:
    void init() {
        QVERIFY(dir.isValid());
        for (int n = 1; n <= 16; ++n) {
            writeMarkerFile(dir.filePath(QString("%1.wav").arg(n)), n);
        }
        messages.shown.clear();
        output = testing::RecordingOutput();
    }

    void fileNames_data() {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("file");
        const QString keys = "1234567890*#ABCD";
        for (int i = 0; i < keys.size(); ++i) {
            const QString name = QString("%1.wav").arg(i + 1);
            QTest::addRow("%s", qPrintable(keys.mid(i, 1))) << keys.mid(i, 1) << name;
            if (keys.at(i).isLetter()) {
                QTest::addRow("%s lower", qPrintable(keys.mid(i, 1).toLower()))
                    << keys.mid(i, 1).toLower() << name;
            }
        }
        for (const char* other : {"E", "e", " ", "-", "+", ".", "[", "\xc3\xa1"}) {
            QTest::addRow("other %s", other) << QString::fromUtf8(other) << "";
        }
    }
    void fileNames() {
        QFETCH(QString, symbol);
        QFETCH(QString, file);
        QCOMPARE(tones::ToneFileName(symbol.at(0)).value_or(QString()), file);
    }

    void dialling_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QList<int>>("files");
        QTest::addColumn<int>("errors");
        QTest::newRow("fixed command") << "**31##" << QList<int>{11, 11, 3, 1, 12, 12} << 0;
        QTest::newRow("letters both cases")
            << "aAbBcCdD" << QList<int>{13, 13, 14, 14, 15, 15, 16, 16} << 0;
        QTest::newRow("empty") << "" << QList<int>{} << 0;
        QTest::newRow("blank and tab skipped") << "1 2\t3" << QList<int>{1, 2, 3} << 0;
        // An unknown character never re-sounds the previous tone.
        QTest::newRow("unknown character reported") << "1-2" << QList<int>{1, 2} << 1;
        QTest::newRow("unknown first") << "E5" << QList<int>{5} << 1;
        QTest::newRow("only unknowns") << "[]" << QList<int>{} << 2;
        QTest::newRow("placeholder word") << "send" << QList<int>{16} << 3;
    }
    void dialling() {
        QFETCH(QString, command);
        QFETCH(QList<int>, files);
        QFETCH(int, errors);
        tones::TonePlayer player(dir.path(), output, messages);
        player.PlayCommandTones(command);
        QCOMPARE(playedFiles(), files);
        QCOMPARE(messages.shown.size(), errors);
        for (const QString& m : messages.shown) {
            QCOMPARE(m, QString("Error: Error playing DTMF tone"));
        }
        // One stream for the whole command, left closed afterwards.
        QCOMPARE(output.opens, files.isEmpty() ? 0 : 1);
        QVERIFY(!output.isOpen());
    }

    void everySymbolAtFullLength() {
        tones::TonePlayer player(dir.path(), output, messages);
        player.PlayCommandTones("1234567890*#ABCD");
        QCOMPARE(output.blocks.size(), std::size_t(16));
        for (std::size_t i = 0; i < 16; ++i) {
            QCOMPARE(output.blocks[i].size(), (i + 1) * 10);
        }
    }

    void allFilesMissing() {
        QTemporaryDir empty;
        tones::TonePlayer player(empty.path(), output, messages);
        player.PlayCommandTones("**31##");
        QCOMPARE(messages.shown.size(), 6);
        QVERIFY(output.blocks.empty());
    }

    void badFiles_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("empty") << "empty";
        QTest::newRow("not audio") << "text";
        QTest::newRow("truncated") << "truncated";
        QTest::newRow("directory") << "directory";
        QTest::newRow("no samples") << "header only";
        QTest::newRow("unreadable") << "unreadable";
    }
    void badFiles() {
        QFETCH(QString, kind);
        const QString path = dir.filePath("3.wav");
        QFile::remove(path);
        QFile file(path);
        if (kind == "empty") {
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (kind == "text") {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("this is not a sound\n");
        } else if (kind == "truncated") {
            writeMarkerFile(path, 3);
            QVERIFY(file.resize(file.size() - 20));
        } else if (kind == "header only") {
            writeMarkerFile(path, 0);
        } else if (kind == "directory") {
            QVERIFY(QDir(dir.path()).mkdir("3.wav"));
        } else if (kind == "unreadable") {
            // Root reads any file; a fifo with no writer stands in for a file
            // that cannot be read, and must not hang.
            writeMarkerFile(path, 3);
            QVERIFY(file.setPermissions(QFileDevice::WriteOwner));
            if (file.open(QIODevice::ReadOnly)) {
                file.close();
                QVERIFY(QFile::remove(path));
                QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            }
        }
        file.close();
        tones::TonePlayer player(dir.path(), output, messages);
        player.PlayCommandTones("1323");
        QCOMPARE(playedFiles(), (QList<int>{1, 2}));
        QCOMPARE(messages.shown.size(), 2);
        QDir(path).removeRecursively();
        QFile::remove(path);
    }

    void noDevice() {
        output.deviceAvailable = false;
        tones::TonePlayer player(dir.path(), output, messages);
        player.PlayCommandTones("**31##");
        QCOMPARE(messages.shown.size(), 6);
    }

    void deviceFailsMidCommand_data() {
        QTest::addColumn<qint64>("playedAtFailure");
        QTest::addColumn<int>("messages");
        QTest::newRow("tones before it had sounded") << qint64(-1) << 1;
        QTest::newRow("the second had not") << qint64(10) << 2;
        QTest::newRow("none had") << qint64(0) << 3;
    }
    void deviceFailsMidCommand() {
        // The third tone's write fails: it, and each queued tone that had not
        // sounded yet, is reported once; the stream is reopened for the rest.
        QFETCH(qint64, playedAtFailure);
        QFETCH(int, messages);
        output.failWriteNumber = 2;
        output.playedAtFailure = playedAtFailure;
        tones::TonePlayer player(dir.path(), output, this->messages);
        player.PlayCommandTones("12345");
        QCOMPARE(playedFiles(), (QList<int>{1, 2, 4, 5}));
        QCOMPARE(this->messages.shown.size(), messages);
        QCOMPARE(output.opens, 2);
    }

    void messageComesAfterQueuedTones() {
        tones::TonePlayer player(dir.path(), output, messages);
        player.PlayCommandTones("12x");
        QCOMPARE(messages.shown.size(), 1);
        // Drained once before the message and once at the end.
        QCOMPARE(output.drains, 2);
    }

    void convertsToTheStreamFormat() {
        // 8 kHz files into a device that runs at 48 kHz stereo.
        output.deviceRate = {48000, 2};
        tones::TonePlayer player(dir.path(), output, messages);
        player.PlayCommandTones("21");
        QCOMPARE(output.blocks.size(), std::size_t(2));
        QCOMPARE(output.blocks[0].size(), std::size_t(20 * 6 * 2));
        QCOMPARE(output.blocks[1].size(), std::size_t(10 * 6 * 2));
    }

    void floatFileReads() {
        const QString path = dir.filePath("float.wav");
        writeMarkerFile(path, 7, 44100, SF_FORMAT_FLOAT);
        const auto samples = tones::ReadToneFile(path);
        QVERIFY(samples.has_value());
        QCOMPARE(samples->format, (tones::AudioFormat{44100, 1}));
        QCOMPARE(samples->frameCount(), 70);
        QCOMPARE(samples->frames.front(), 7.0F / 32);
    }

    void nonAsciiFolder() {
        QTemporaryDir parent;
        const QString folder = parent.filePath(QString::fromUtf8("t\xc3\xb6ne \xe2\x98\x85"));
        QVERIFY(QDir().mkpath(folder));
        writeMarkerFile(folder + "/12.wav", 12);
        tones::TonePlayer player(folder, output, messages);
        player.PlayCommandTones("#");
        QCOMPARE(playedFiles(), QList<int>{12});
        QVERIFY(messages.shown.isEmpty());
    }

    void longCommand() {
        // No 16-bit limit on the length of a command.
        const QString command(40000, u'5');
        tones::TonePlayer player(dir.path(), output, messages);
        player.PlayCommandTones(command);
        QCOMPARE(output.blocks.size(), std::size_t(40000));
        QVERIFY(messages.shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TonePlayerTest)
#include "tst_toneplayer.moc"
