#pragma once
// A private sound server with a null sink named "uplink" (tests/support/
// soundserver.sh), for tests and benchmarks that dial through the real sound path
// without a sound card: PulseAudio, or PipeWire as on Debian's desktop. Sound this
// process opens afterwards goes there (ALSA's pulse plugin); the sink's monitor is
// recorded with parec and decoded with multimon-ng. The server never meets a
// desktop's own, and ends with this process.

#include <QString>
#include <QTemporaryDir>
#include <optional>

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
    bool isRunning() const { return running_; }
    SoundServer kind() const { return kind_; }
    // The server named by DIAL_SOUND_SERVER: "pipewire", else PulseAudio.
    static SoundServer fromEnvironment();

    // Records the sink's monitor into `wavPath` until stopRecording().
    QString startRecording(const QString& wavPath);
    void stopRecording(int tailMs = 500);

    // The symbols multimon-ng hears in a recording.
    static QString decode(const QString& wavPath);

    QString runtimeDir() const { return runtime_.path(); }

private:
    SoundServer kind_;
    QTemporaryDir runtime_;
    bool running_ = false;
};

} // namespace testing
