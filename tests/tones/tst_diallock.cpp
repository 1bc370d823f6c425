// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fakes.h"
#include "tones/dialer.h"
#include "tones/diallock.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

// Where the one-dial lock goes, and a dial that cannot have it or is stopped.
class DialLockTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // A folder as the test names it: "ok" (0700), "open" (0777), "file", "link"
    // (to "ok"), "gone" (missing), "made" (missing, made as the last resort).
    QString folder(const QString& kind) {
        const QString path = dir.filePath(kind + QString::number(++made));
        if (kind == "ok" || kind == "open")
            QDir().mkdir(path), ::chmod(QFile::encodeName(path), kind == "ok" ? 0700 : 0777);
        else if (kind == "file")
            QFile(path).open(QIODevice::WriteOnly);
        else if (kind == "link")
            QFile::link(folder("ok"), path);
        return path;
    }
    int made = 0;

private slots:
    // Folders in order; which of them holds the lock (-1: none).
    void folders_data() {
        QTest::addColumn<QStringList>("kinds");
        QTest::addColumn<int>("holder");
        QTest::newRow("the first") << QStringList{"ok", "ok"} << 0;
        QTest::newRow("others may write") << QStringList{"open", "ok"} << 1;
        QTest::newRow("a file, a link, missing") << QStringList{"file", "link", "gone", "ok"} << 3;
        QTest::newRow("the last made") << QStringList{"gone", "made"} << 1;
        QTest::newRow("none") << QStringList{"open", "file"} << -1;
    }
    void folders() {
        QFETCH(QStringList, kinds);
        QFETCH(int, holder);
        QStringList folders;
        for (const QString& kind : kinds)
            folders << folder(kind);
        tones::DialLock lock(folders);
        const QString why = lock.lock({});
        QCOMPARE(why.isEmpty(), holder >= 0);
        for (int i = 0; i < folders.size(); ++i)
            QCOMPARE(QFile::exists(folders[i] + "/dtmf-dialer.lock"), i == holder);
        // A second dialer of the same folders waits for the first, and gives up
        // when told to.
        if (holder >= 0) {
            tones::DialLock other(folders);
            int tries = 0;
            QCOMPARE(other.lock([&] { return ++tries < 3; }),
                     "stopped while waiting for another dial to end");
            lock.unlock();
            QCOMPARE(other.lock({}), QString());
        }
    }

    // Without a lock nothing is written; a stop lets the tone being written
    // sound whole and sends nothing more.
    void dials_data() {
        QTest::addColumn<QString>("lockFolder");
        QTest::addColumn<int>("stopAtWrite"); // 0: no stop
        QTest::addColumn<QString>("outcome");
        QTest::newRow("no lock") << "open" << 0 << "refused, 0 writes, 0 drains";
        QTest::newRow("stopped") << "ok" << 3
                                 << "3 of 8 sent, not sent: 23 45#, 3 writes, 0 drains";
        QTest::newRow("not stopped") << "ok" << 0 << "8 writes, 1 drains";
    }
    void dials() {
        QFETCH(QString, lockFolder);
        QFETCH(int, stopAtWrite);
        QFETCH(QString, outcome);
        auto output = std::make_unique<testing::FakeOutput>();
        testing::FakeOutput& fake = *output;
        tones::Dialer dialer(TONE_DIR, std::move(output), folder(lockFolder) + "/lock");
        int drains = 0;
        fake.note = [&](const QString& call) {
            drains += call == "d" ? 1 : 0;
            if (call != "d" && call != "o" && call != "c" && fake.writes == stopAtWrite)
                dialer.requestStop();
        };
        QString seen;
        connect(&dialer, &tones::Dialer::dialRefused, this, [&] { seen = "refused, "; });
        connect(&dialer, &tones::Dialer::dialStopped, this,
                [&](int sent, int symbols, const QString& rest) {
                    seen =
                        QString("%1 of %2 sent, not sent: %3, ").arg(sent).arg(symbols).arg(rest);
                });
        QSignalSpy finished(&dialer, &tones::Dialer::dialFinished);
        dialer.dial("**1 23 45#");
        QCOMPARE(seen + QString("%1 writes, %2 drains").arg(fake.writes).arg(drains), outcome);
        QCOMPARE(finished.size(), 1);
    }
};

QTEST_GUILESS_MAIN(DialLockTest)
#include "tst_diallock.moc"
