#pragma once
// A private sound server with a null sink named "uplink", for tests and
// benchmarks that dial through the real sound path without a sound card: either
// PulseAudio, or PipeWire with WirePlumber and pipewire-pulse on a session bus of
// its own. Both serve the PulseAudio protocol in the server's own runtime folder,
// which is where this process's sound (ALSA's pulse plugin) then goes. The sink's
// monitor is recorded with parec and decoded with multimon-ng. The server never
// meets a desktop's own: its runtime, configuration and state folders, and its
// bus, are private, and its processes end with this one.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QVector>
#include <memory>
#include <vector>

namespace testing {

enum class SoundServer { PulseAudio, PipeWire };

class NullSinkServer {
public:
    explicit NullSinkServer(SoundServer kind = SoundServer::PulseAudio);
    ~NullSinkServer();
    NullSinkServer(const NullSinkServer&) = delete;
    NullSinkServer& operator=(const NullSinkServer&) = delete;

    // Starts the server in a fresh runtime folder (and points this process's
    // XDG_RUNTIME_DIR at it, so that sound opened afterwards goes there). Empty on
    // success, else what went wrong.
    QString start();
    // Stops the server; the runtime folder stays, so start() may run again.
    void stop();
    bool isRunning() const;
    SoundServer kind() const { return kind_; }
    // The server named by DIAL_SOUND_SERVER: "pipewire", else PulseAudio.
    static SoundServer fromEnvironment();

    // Records the sink's monitor into `wavPath` until stopRecording().
    QString startRecording(const QString& wavPath);
    void stopRecording(int tailMs = 500);

    // The symbols multimon-ng hears in a recording.
    static QString decode(const QString& wavPath);
    // Times (ms from the start of the file) at which tones begin: a 2 ms RMS
    // envelope crossing 20 % of the recording's peak.
    static QVector<double> onsets(const QString& wavPath);

    QString runtimeDir() const { return runtime_.path(); }

private:
    QString startPulseAudio();
    QString startPipeWire();
    // Starts one of the server's own processes; stop() ends them in reverse order.
    QString startDaemon(const QString& program, const QStringList& args);
    // Until `pactl info` answers, or one of the server's processes has stopped.
    QString waitForAnswer();

    SoundServer kind_;
    QTemporaryDir runtime_;
    std::vector<std::unique_ptr<QProcess>> daemons_;
    std::unique_ptr<QProcess> keepAlive_;
    std::unique_ptr<QProcess> recorder_;
    bool running_ = false;
};

} // namespace testing
