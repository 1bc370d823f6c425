#include "support/fakes.h"
#include "tones/toneplayer.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

// Real DTMF tone files, written by the tone generator at 8 kHz; file n's tone
// lasts 40 + 5n ms, so that a block written to the output tells its file.
class TonePlayerTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir{QDir::tempPath() + QString::fromUtf8("/t\xc3\xb6ne \xe2\x98\x85-XXXXXX")};
    testing::RecordingOutput output;
    QStringList reasons;  // why each symbol did not go out, in order
    QStringList failedAt; // when: "<blocks written>/<drains>"

    // Plays the command from the folder; the files whose tones were written, in
    // order, told by their length in the stream's format.
    QList<int> play(const QString& command, const QString& folder) {
        tones::TonePlayer(folder, output).play(command, [this](const QString& reason) {
            reasons << reason;
            failedAt << QString("%1/%2").arg(output.blocks.size()).arg(output.drains);
        });
        QList<int> files;
        for (const auto& block : output.blocks) {
            const tones::AudioFormat format = output.format();
            files << (int(block.size()) * 1000 / (format.sampleRate * format.channels) - 40) / 5;
        }
        return files;
    }
    // The symbols the reasons name ("'3': ..."), in order.
    QString failedSymbols() const {
        QString symbols;
        for (const QString& reason : reasons) {
            symbols += reason.mid(1, 1);
        }
        return symbols;
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
        reasons.clear();
        failedAt.clear();
        output = testing::RecordingOutput();
    }

    // A device that fails does so at the third write, when playedAtFailure frames
    // had played (-1: all written; -2: it does not fail; -3: there is no
    // device). The failing tone, and each queued tone that had not sounded yet,
    // is reported once; the stream is opened afresh for the rest, and left
    // closed at the end.
    void dialling_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<qint64>("playedAtFailure");
        QTest::addColumn<QList<int>>("files");
        QTest::addColumn<QString>("failed");
        // clang-format off
        QTest::newRow("fixed command") << "**31##" << qint64(-2) << QList<int>{11, 11, 3, 1, 12, 12} << "";
        QTest::newRow("every symbol") << "1234567890*#ABCDabcd" << qint64(-2) << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 13, 14, 15, 16} << "";
        QTest::newRow("empty") << "" << qint64(-2) << QList<int>{} << "";
        QTest::newRow("blank and tab skipped") << "1 2\t3" << qint64(-2) << QList<int>{1, 2, 3} << "";
        QTest::newRow("unknown never re-sounds the last tone") << "1-2" << qint64(-2) << QList<int>{1, 2} << "-";
        QTest::newRow("unknown first") << "E5" << qint64(-2) << QList<int>{5} << "E";
        QTest::newRow("placeholder word") << "send" << qint64(-2) << QList<int>{16} << "sen";
        QTest::newRow("beyond 16 bits") << QString(32800, u'5') << qint64(-2) << QList<int>(32800, 5) << "";
        QTest::newRow("no device") << "12345" << qint64(-3) << QList<int>{} << "12345";
        QTest::newRow("device fails, tones before it had sounded") << "12345" << qint64(-1) << QList<int>{1, 2, 4, 5} << "3";
        QTest::newRow("device fails, the second had not") << "12345" << qint64(500) << QList<int>{1, 2, 4, 5} << "23";
        QTest::newRow("device fails, none had") << "12345" << qint64(0) << QList<int>{1, 2, 4, 5} << "123";
        // clang-format on
    }
    void dialling() {
        QFETCH(QString, command);
        QFETCH(qint64, playedAtFailure);
        QFETCH(QList<int>, files);
        QFETCH(QString, failed);
        output.deviceAvailable = playedAtFailure != -3;
        output.failWriteNumber = playedAtFailure < -1 ? -1 : 2;
        output.playedAtFailure = playedAtFailure;
        QCOMPARE(play(command, dir.path()), files);
        QCOMPARE(failedSymbols(), failed);
        QCOMPARE(output.opens, files.isEmpty() ? 0 : playedAtFailure < -1 ? 1 : 2);
        QVERIFY(!output.isOpen());
    }

    // "3" cannot be played: reported once each time, after the tones before it
    // have sounded, with the reason, and nothing else is sent in its place. Its
    // file is copied from another and cut to a size (-1: whole), or is a
    // directory, or a fifo with no writer, standing in for a file that cannot
    // be read (root reads any file), which must not hang. A failed library
    // call is logged in the library's words.
    void badFiles_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("why");
        QTest::addColumn<QString>("logged");
        // clang-format off
        QTest::newRow("missing") << QString() << qint64(-1) << "no such file" << "";
        QTest::newRow("empty") << dir.filePath("3.wav") << qint64(0) << "Format not recognised" << "sf_open .*3.wav failed: Format not recognised";
        QTest::newRow("text") << QString(__FILE__) << qint64(-1) << "Format not recognised" << "sf_open .*3.wav failed: Format not recognised";
        QTest::newRow("truncated") << dir.filePath("3.wav") << QFile(dir.filePath("3.wav")).size() - 20 << "cut short" << "";
        QTest::newRow("directory") << "directory" << qint64(-1) << "not a regular file" << "";
        QTest::newRow("header only") << dir.filePath("3.wav") << qint64(44) << "holds no sound" << "";
        QTest::newRow("unreadable") << "fifo" << qint64(-1) << "not a regular file" << "";
        QTest::newRow("another key's tone") << dir.filePath("2.wav") << qint64(-1) << "does not sound the pair of 3 (697 Hz, 1477 Hz)" << "";
        // clang-format on
    }
    void badFiles() {
        QFETCH(QString, from);
        QFETCH(qint64, size);
        QFETCH(QString, why);
        QFETCH(QString, logged);
        const QTemporaryDir bad;
        const QString path = bad.filePath("3.wav");
        QVERIFY(QFile::copy(dir.filePath("1.wav"), bad.filePath("1.wav")));
        QVERIFY(QFile::copy(dir.filePath("2.wav"), bad.filePath("2.wav")));
        QVERIFY(from == "directory" ? QDir().mkdir(path)
                : from == "fifo"    ? ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0
                                    : from.isEmpty() || (QFile::copy(from, path) &&
                                                      (size < 0 || QFile::resize(path, size))));
        if (!logged.isEmpty()) {
            for (int i = 0; i < 2; ++i) {
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression(logged));
            }
        }
        QCOMPARE(play("1323", bad.path()), (QList<int>{1, 2}));
        QCOMPARE(failedAt, (QStringList{"1/1", "2/2"}));
        QCOMPARE(failedSymbols(), "33");
        QVERIFY2(reasons.at(0).contains(path + ": " + why), qPrintable(reasons.at(0)));
        QCOMPARE(output.drains, 3);
    }

    void convertsToTheStreamFormat() {
        output.deviceRate = {48000, 2};
        QCOMPARE(play("21", dir.path()), (QList<int>{2, 1}));
    }
};

QTEST_GUILESS_MAIN(TonePlayerTest)
#include "tst_toneplayer.moc"
