#include "support/dialerthread.h"
#include "support/fakes.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// The Dialer on a real thread of its own, with a fake output and the build's
// tone files.
class DialerTest : public QObject {
    Q_OBJECT

    QTemporaryDir work;

    // A dialer whose output's writes and drains are noted among its signals.
    std::unique_ptr<testing::DialerThread> dialerWith(bool deviceAvailable = true) {
        auto output = std::make_unique<testing::RecordingOutput>();
        output->deviceAvailable = deviceAvailable;
        testing::RecordingOutput& calls = *output;
        auto dialling = std::make_unique<testing::DialerThread>(TONE_DIR, std::move(output),
                                                                work.filePath("dial.lock"));
        calls.onCall = [&dialling = *dialling](const QString& call) { dialling.note(call); };
        return dialling;
    }

private slots:
    void init() {
        // Threads and objects that end wrongly say so.
        QTest::failOnWarning(QRegularExpression("QThread|QObject|QMutex|QWaitCondition"));
    }

    void signalsInOrder_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("deviceAvailable");
        QTest::addColumn<QStringList>("signalled");
        // clang-format off
        QTest::newRow("fixed command") << "**31##" << true << QStringList{"started **31##", "write", "write", "write", "write", "write", "write", "drain", "finished"};
        QTest::newRow("empty") << "" << true << QStringList{"started ", "finished"};
        QTest::newRow("not a symbol, after the tone before it") << "1E2" << true << QStringList{"started 1E2", "write", "drain", "failed 'E': not a DTMF symbol", "write", "drain", "finished"};
        QTest::newRow("no device") << "1a" << false << QStringList{"started 1a", "failed '1': no device", "failed 'a': no device", "finished"};
        // clang-format on
    }
    void signalsInOrder() {
        QFETCH(QString, command);
        QFETCH(bool, deviceAvailable);
        QFETCH(QStringList, signalled);
        const auto dialling = dialerWith(deviceAvailable);
        QCOMPARE(dialling->startAudio(), deviceAvailable);
        QCOMPARE(dialling->dial(command), signalled);
        // The same dialer dials again.
        QCOMPARE(dialling->dial(command), signalled);
    }

    void waitsUntilTheFailureIsAcknowledged() {
        const auto dialling = dialerWith();
        QSemaphore failed;
        dialling->onFailure = [&failed](const QString&) { failed.release(); };
        // Acknowledgements with no failure to acknowledge count for nothing.
        dialling->dialer().acknowledgeFailure();
        dialling->dialer().acknowledgeFailure();
        dialling->startDial("1E2");
        failed.acquire();
        // Time for a dialler that did not wait to write the next tone.
        QThread::msleep(50);
        dialling->note("acknowledged");
        dialling->dialer().acknowledgeFailure();
        QCOMPARE(dialling->waitForDial(),
                 (QStringList{"started 1E2", "write", "drain", "failed 'E': not a DTMF symbol",
                              "acknowledged", "write", "drain", "finished"}));
    }

    void oneDialAtATimeAcrossThreads() {
        // Two dialers, each on its thread, dialling at the same moment with one
        // lock: one command goes out whole, then the other.
        QMutex mutex;
        QString writes;
        std::unique_ptr<testing::DialerThread> dialers[2];
        for (const char name : {'a', 'b'}) {
            auto output = std::make_unique<testing::RecordingOutput>();
            output->onCall = [&mutex, &writes, name](const QString& call) {
                if (call == "write") {
                    QThread::msleep(1); // long enough for the other to come in between
                    const QMutexLocker locker(&mutex);
                    writes += name;
                }
            };
            dialers[name - 'a'] = std::make_unique<testing::DialerThread>(
                TONE_DIR, std::move(output), work.filePath("dial.lock"));
        }
        const QString command = "**1234567890ABCD*#5#";
        dialers[0]->startDial(command);
        dialers[1]->startDial(command);
        dialers[0]->waitForDial();
        dialers[1]->waitForDial();
        const QString a(command.size(), 'a');
        const QString b(command.size(), 'b');
        QVERIFY2(writes == a + b || writes == b + a, qPrintable(writes));
    }

    void endsWhileAFailureWaits() {
        // The program closes while a failure waits for the operator: the rest
        // of the command goes out and the thread ends.
        QStringList calls;
        auto output = std::make_unique<testing::RecordingOutput>();
        output->onCall = [&calls](const QString& call) { calls << call; };
        QSemaphore failed;
        {
            testing::DialerThread dialling(TONE_DIR, std::move(output), work.filePath("dial.lock"));
            dialling.onFailure = [&failed](const QString&) { failed.release(); };
            dialling.startDial("1E2");
            failed.acquire();
        }
        QCOMPARE(calls, (QStringList{"write", "drain", "write", "drain"}));
    }
};

QTEST_GUILESS_MAIN(DialerTest)
#include "tst_dialer.moc"
