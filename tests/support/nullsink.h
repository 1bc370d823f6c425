// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A private sound server with a null sink named "uplink" (tests/support/
// soundserver.sh), for tests and benchmarks that dial through the real sound path
// without a sound card: PulseAudio, or PipeWire as on Debian's desktop. Sound this
// process opens afterwards goes there (ALSA's pulse plugin); the sink's monitor is
// recorded with parec and decoded with multimon-ng. The server never meets a
// desktop's own, and ends with this process.

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace testing {

enum class SoundServer { PulseAudio, PipeWire };

class NullSinkServer {
public:
    explicit NullSinkServer(SoundServer kind = SoundServer::PulseAudio) : kind_(kind) {}
    ~NullSinkServer() { stop(); }

    // The server named by DIAL_SOUND_SERVER: "pipewire", else PulseAudio.
    static SoundServer fromEnvironment() {
        return qEnvironmentVariable("DIAL_SOUND_SERVER") == u"pipewire" ? SoundServer::PipeWire
                                                                        : SoundServer::PulseAudio;
    }
    // Starts the server in a runtime folder of its own and points this process's
    // XDG_RUNTIME_DIR there, so that sound opened afterwards goes there. Empty on
    // success, else what went wrong. After stop() it may start again.
    QString start() {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir()));
        qputenv("PULSE_CLIENTCONFIG", QFile::encodeName(runtimeDir() + "/client.conf"));
        qunsetenv("PULSE_SERVER");
        const QString error =
            script({"start", kind_ == SoundServer::PipeWire ? "pipewire" : "pulseaudio",
                    runtimeDir(), QString::number(QCoreApplication::applicationPid())});
        running_ = error.isEmpty();
        return running_ ? QString() : "no sound server: " + error;
    }
    void stop() {
        if (std::exchange(running_, false))
            script({"stop", runtimeDir()});
    }
    QString runtimeDir() const { return runtime_.path(); }

    // Records the sink's monitor into `wavPath` until stopRecording(); empty on
    // success, else what went wrong.
    QString startRecording(const QString& wavPath) {
        return script({"record", runtimeDir(), wavPath});
    }
    void stopRecording(int tailMs = 500) {
        QThread::msleep(tailMs);
        script({"stop-recording", runtimeDir()});
    }
    // The symbols multimon-ng hears in a recording.
    static QString decode(const QString& wavPath) {
        QString heard;
        return script({"decode", wavPath}, &heard).isEmpty() ? heard : "<not decoded>";
    }

private:
    // Runs the script: empty when it succeeded, else its error output; what it
    // printed goes to `out`. A script that hangs is ended by ctest's timeout.
    static QString script(const QStringList& args, QString* out = nullptr) {
        QProcess p;
        p.start("bash", QStringList{SOUND_SERVER_SCRIPT} + args);
        p.waitForFinished(-1);
        if (out != nullptr)
            *out = QString::fromLocal8Bit(p.readAllStandardOutput());
        const QString error = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
        const bool ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        return ok ? QString() : error.isEmpty() ? QStringLiteral("failed") : error;
    }

    SoundServer kind_;
    QTemporaryDir runtime_;
    bool running_ = false;
};

} // namespace testing
