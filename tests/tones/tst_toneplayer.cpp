#include "support/fakes.h"
#include "tones/toneplayer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

// Real DTMF tone files, written by the tone generator at 8 kHz; file n's tone
// lasts 40 + 5n ms, so that a block written to the output tells its file.
class TonePlayerTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir{QDir::tempPath() + QString::fromUtf8("/t\xc3\xb6ne \xe2\x98\x85-XXXXXX")};
    testing::CountingMessages messages;
    testing::RecordingOutput output;

    QList<int> playedFiles() const {
        QList<int> files;
        for (const auto& block : output.blocks) {
            files << (int(block.size()) / 8 - 40) / 5;
        }
        return files;
    }
    void play(const QString& command) {
        tones::TonePlayer player(dir.path(), output, messages);
        player.PlayCommandTones(command);
    }

private slots:
    void initTestCase() {
        const QString keys = "1234567890*#ABCD";
        for (int n = 1; n <= 16; ++n) {
            QCOMPARE(QProcess::execute(GEN_TONES, {"--out", dir.path(), "--rate", "8000", "--keys",
                                                   keys.mid(n - 1, 1), "--tone-ms",
                                                   QString::number(40 + 5 * n), "--gap-ms", "0"}),
                     0);
        }
    }
    void init() {
        messages.shown.clear();
        output = testing::RecordingOutput();
    }

    void dialling_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QList<int>>("files");
        QTest::addColumn<int>("errors");
        // clang-format off
        QTest::newRow("fixed command") << "**31##" << QList<int>{11, 11, 3, 1, 12, 12} << 0;
        QTest::newRow("every symbol") << "1234567890*#ABCDabcd" << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 13, 14, 15, 16} << 0;
        QTest::newRow("empty") << "" << QList<int>{} << 0;
        QTest::newRow("blank and tab skipped") << "1 2\t3" << QList<int>{1, 2, 3} << 0;
        QTest::newRow("unknown never re-sounds the last tone") << "1-2" << QList<int>{1, 2} << 1;
        QTest::newRow("unknown first") << "E5" << QList<int>{5} << 1;
        QTest::newRow("placeholder word") << "send" << QList<int>{16} << 3;
        QTest::newRow("beyond 16 bits") << QString(32800, u'5') << QList<int>(32800, 5) << 0;
        // clang-format on
    }
    void dialling() {
        QFETCH(QString, command);
        QFETCH(QList<int>, files);
        QFETCH(int, errors);
        play(command);
        QCOMPARE(playedFiles(), files);
        QCOMPARE(messages.shown, QStringList(errors, "Error: Error playing DTMF tone"));
        // One stream for the whole command, left closed afterwards.
        QCOMPARE(output.opens, files.isEmpty() ? 0 : 1);
        QVERIFY(!output.isOpen());
    }

    void badFiles_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"missing", "empty", "text", "truncated", "directory",
                                 "header only", "unreadable", "another key's tone"}) {
            QTest::newRow(kind) << kind;
        }
    }
    void badFiles() {
        // "3" cannot be played: reported once each time, after the tones before
        // it have sounded, and nothing else is sent in its place.
        QFETCH(QString, kind);
        const QString path = dir.filePath("3.wav");
        const QString saved = dir.filePath("saved");
        QVERIFY(QFile::rename(path, saved));
        QFile file(path);
        if (kind == "truncated" || kind == "header only" || kind == "another key's tone") {
            QVERIFY(
                QFile::copy(kind == "another key's tone" ? dir.filePath("2.wav") : saved, path));
            QVERIFY(file.resize(kind == "truncated"     ? file.size() - 20
                                : kind == "header only" ? 44
                                                        : file.size()));
        } else if (kind == "directory") {
            QVERIFY(QDir(dir.path()).mkdir("3.wav"));
        } else if (kind == "unreadable") {
            // A fifo with no writer stands in for a file that cannot be read
            // (root reads any file), and must not hang.
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind != "missing") {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(kind == "text" ? "this is not a sound\n" : "");
            file.close();
        }
        play("1323");
        QDir(path).removeRecursively();
        QFile::remove(path);
        QVERIFY(QFile::rename(saved, path));
        QCOMPARE(playedFiles(), (QList<int>{1, 2}));
        QCOMPARE(messages.shown.size(), 2);
        QCOMPARE(output.drains, 3);
    }

    void deviceFails_data() {
        QTest::addColumn<bool>("available");
        QTest::addColumn<qint64>("playedAtFailure"); // frames, when the third write fails
        QTest::addColumn<QList<int>>("files");
        QTest::addColumn<int>("errors");
        // clang-format off
        QTest::newRow("no device") << false << qint64(-1) << QList<int>{} << 5;
        QTest::newRow("tones before it had sounded") << true << qint64(-1) << QList<int>{1, 2, 4, 5} << 1;
        QTest::newRow("the second had not") << true << qint64(500) << QList<int>{1, 2, 4, 5} << 2;
        QTest::newRow("none had") << true << qint64(0) << QList<int>{1, 2, 4, 5} << 3;
        // clang-format on
    }
    void deviceFails() {
        // The failing tone, and each queued tone that had not sounded yet, is
        // reported once; the stream is opened afresh for the rest.
        QFETCH(bool, available);
        QFETCH(qint64, playedAtFailure);
        QFETCH(QList<int>, files);
        QFETCH(int, errors);
        output.deviceAvailable = available;
        output.failWriteNumber = 2;
        output.playedAtFailure = playedAtFailure;
        play("12345");
        QCOMPARE(playedFiles(), files);
        QCOMPARE(messages.shown.size(), errors);
        QCOMPARE(output.opens, available ? 2 : 0);
    }

    void convertsToTheStreamFormat() {
        output.deviceRate = {48000, 2};
        play("21");
        QCOMPARE(output.blocks.size(), std::size_t(2));
        QCOMPARE(output.blocks[0].size(), std::size_t(50 * 48 * 2));
        QCOMPARE(output.blocks[1].size(), std::size_t(45 * 48 * 2));
    }
};

QTEST_GUILESS_MAIN(TonePlayerTest)
#include "tst_toneplayer.moc"
