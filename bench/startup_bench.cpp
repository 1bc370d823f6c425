// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and footprint of the dialer's window, under a real X server:
//
//   xvfb-run -a -s "-screen 0 1024x768x24" ./build/bench/startup_bench
//
// Starts the program (this binary in child mode runs exactly what the dialer
// runs) several times and prints the time from process start to the window's
// first paint; then keeps one window idle for 10 s and prints its peak resident
// memory and CPU use.

#include "ui/app.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace {

qint64 monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

int child(int argc, char** argv, bool idle) {
    ui::RunHooks hooks;
    hooks.firstPaint = [idle](QWidget&) {
        std::printf("painted %lld\n", static_cast<long long>(monotonicNs()));
        std::fflush(stdout);
        QTimer::singleShot(idle ? 10000 : 0, qApp, &QCoreApplication::quit);
    };
    return ui::runDialer(argc, argv, hooks);
}

// Resident memory high-water mark (kB) and CPU time (clock ticks) of a process.
qint64 peakKb(qint64 pid) {
    QFile f(QString("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    return -1;
}

qint64 cpuTicks(qint64 pid) {
    QFile f(QString("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray stat = f.readAll();
    // Fields after the command name, which ends with ')'.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong(); // utime + stime
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--first-paint") == 0) {
        return child(argc, argv, false);
    }
    if (argc > 1 && std::strcmp(argv[1], "--idle") == 0) {
        return child(argc, argv, true);
    }
    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();

    QVector<double> startMs;
    for (int run = 0; run < 10; ++run) {
        QProcess p;
        p.setProcessChannelMode(QProcess::SeparateChannels);
        const qint64 started = monotonicNs();
        p.start(self, {"--first-paint"});
        if (!p.waitForFinished(30000)) {
            std::fprintf(stderr, "startup_bench: the window did not come up\n");
            return 1;
        }
        const QByteArray line = p.readAllStandardOutput();
        const qint64 painted = line.mid(line.indexOf("painted ") + 8).trimmed().toLongLong();
        startMs << double(painted - started) / 1e6;
    }
    std::sort(startMs.begin(), startMs.end());

    QProcess idle;
    idle.start(self, {"--idle"});
    if (!idle.waitForReadyRead(30000)) {
        std::fprintf(stderr, "startup_bench: the window did not come up\n");
        return 1;
    }
    const qint64 pid = idle.processId();
    const long hz = sysconf(_SC_CLK_TCK);
    // Let start-up settle, then count the CPU time of 8 idle seconds.
    QThread::msleep(1500);
    const qint64 ticksBefore = cpuTicks(pid);
    QThread::msleep(8000);
    const qint64 ticksAfter = cpuTicks(pid);
    const qint64 peak = peakKb(pid);
    idle.waitForFinished(10000);

    std::printf("| Start-up to first paint, 10 runs (ms) | median %.0f | fastest %.0f | slowest "
                "%.0f |\n",
                startMs[startMs.size() / 2], startMs.front(), startMs.back());
    std::printf("| Idle window over 10 s | peak resident %.1f MB | CPU %.2f %% over 8 s | |\n",
                double(peak) / 1024.0, 100.0 * double(ticksAfter - ticksBefore) / hz / 8.0);
    return 0;
}
