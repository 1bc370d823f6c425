#include "support/nullsink.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QThread>

namespace testing {
namespace {

// Runs the sound server script; what it printed, or nothing when it failed.
std::optional<QString> serverScript(const QStringList& args, QString* error = nullptr) {
    QProcess p;
    p.start("bash", QStringList{SOUND_SERVER_SCRIPT} + args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(1000);
    }
    if (error != nullptr) {
        *error = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        return std::nullopt;
    }
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

} // namespace

NullSinkServer::NullSinkServer(SoundServer kind) : kind_(kind) {}

NullSinkServer::~NullSinkServer() {
    stop();
}

SoundServer NullSinkServer::fromEnvironment() {
    return qEnvironmentVariable("DIAL_SOUND_SERVER") == u"pipewire" ? SoundServer::PipeWire
                                                                    : SoundServer::PulseAudio;
}

QString NullSinkServer::start() {
    const QString rt = runtimeDir();
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(rt));
    qputenv("PULSE_CLIENTCONFIG", QFile::encodeName(rt + "/client.conf"));
    qunsetenv("PULSE_SERVER");
    QString error;
    running_ = serverScript({"start", kind_ == SoundServer::PipeWire ? "pipewire" : "pulseaudio",
                             rt, QString::number(QCoreApplication::applicationPid())},
                            &error)
                   .has_value();
    return running_ ? QString() : "no sound server: " + error;
}

void NullSinkServer::stop() {
    if (running_) {
        serverScript({"stop", runtimeDir()});
        running_ = false;
    }
}

QString NullSinkServer::startRecording(const QString& wavPath) {
    QString error;
    return serverScript({"record", runtimeDir(), wavPath}, &error) ? QString() : error;
}

void NullSinkServer::stopRecording(int tailMs) {
    QThread::msleep(tailMs);
    serverScript({"stop-recording", runtimeDir()});
}

QString NullSinkServer::decode(const QString& wavPath) {
    return serverScript({"decode", wavPath}).value_or("<not decoded>");
}

} // namespace testing
