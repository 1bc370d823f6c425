#include "support/nullsink.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <cmath>
#include <csignal>
#include <functional>
#include <sndfile.h>
#include <sys/prctl.h>
#include <sys/stat.h>

namespace testing {
namespace {

// Every process started here ends with this one, even if this one dies first.
void tieToParent(QProcess& p) {
    p.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

bool run(const QString& program, const QStringList& args, int timeoutMs = 10000,
         QString* output = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    tieToParent(p);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    if (output != nullptr) {
        *output = QString::fromLocal8Bit(p.readAll()).trimmed();
    }
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void endProcess(std::unique_ptr<QProcess>& p, int signal) {
    if (!p) {
        return;
    }
    if (p->state() != QProcess::NotRunning) {
        ::kill(pid_t(p->processId()), signal);
        if (!p->waitForFinished(3000)) {
            p->kill();
            p->waitForFinished(1000);
        }
    }
    p.reset();
}

bool waitFor(const std::function<bool()>& ready, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    while (!ready()) {
        if (waited.elapsed() > timeoutMs) {
            return false;
        }
        QThread::msleep(20);
    }
    return true;
}

QString logTail(const QString& path) {
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromLocal8Bit(log.readAll()).right(600).trimmed();
}

} // namespace

NullSinkServer::NullSinkServer(SoundServer kind) : kind_(kind) {
    ::chmod(QFile::encodeName(runtime_.path()).constData(), 0700);
}

NullSinkServer::~NullSinkServer() {
    stop();
}

SoundServer NullSinkServer::fromEnvironment() {
    return qEnvironmentVariable("DIAL_SOUND_SERVER") == u"pipewire" ? SoundServer::PipeWire
                                                                    : SoundServer::PulseAudio;
}

QString NullSinkServer::startDaemon(const QString& program, const QStringList& args) {
    const QString rt = runtime_.path();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Configuration and state of the user's own desktop stay untouched.
    env.insert("XDG_CONFIG_HOME", rt + "/config");
    env.insert("XDG_STATE_HOME", rt + "/state");
    env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + rt + "/bus");
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(env);
    p->setProcessChannelMode(QProcess::MergedChannels);
    p->setStandardOutputFile(rt + "/" + program + ".log");
    tieToParent(*p);
    p->start(program, args);
    if (!p->waitForStarted(5000)) {
        return program + " did not start: " + p->errorString();
    }
    daemons_.push_back(std::move(p));
    return {};
}

QString NullSinkServer::startPulseAudio() {
    return startDaemon("pulseaudio",
                       {"--daemonize=no", "--exit-idle-time=-1", "-n", "--log-target=stderr",
                        "--load=module-null-sink sink_name=uplink",
                        "--load=module-native-protocol-unix auth-anonymous=1"});
}

QString NullSinkServer::startPipeWire() {
    QString error = startDaemon("pipewire", {});
    if (error.isEmpty() &&
        !waitFor([&] { return QFileInfo::exists(runtime_.filePath("pipewire-0")); }, 5000)) {
        error = "pipewire made no socket: " + logTail(runtime_.filePath("pipewire.log"));
    }
    for (const char* program : {"wireplumber", "pipewire-pulse"}) {
        if (error.isEmpty()) {
            error = startDaemon(program, {});
        }
    }
    return error;
}

QString NullSinkServer::waitForAnswer() {
    QElapsedTimer waited;
    waited.start();
    while (!run("pactl", {"info"}, 2000)) {
        for (const auto& d : daemons_) {
            if (d->state() == QProcess::NotRunning) {
                return d->program() +
                       " stopped: " + logTail(runtime_.filePath(d->program() + ".log"));
            }
        }
        if (waited.elapsed() > 10000) {
            return "the sound server does not answer";
        }
        QThread::msleep(20);
    }
    return {};
}

QString NullSinkServer::start() {
    if (!runtime_.isValid()) {
        return "no temporary folder";
    }
    const QString rt = runtime_.path();
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(rt));
    qunsetenv("PULSE_SERVER");
    // No client of this process may start a PulseAudio of its own (with the
    // machine's sound cards) while the private server is down.
    QFile clientConf(rt + "/client.conf");
    if (!clientConf.open(QIODevice::WriteOnly) || clientConf.write("autospawn = no\n") < 0) {
        return "cannot write " + clientConf.fileName();
    }
    clientConf.close();
    qputenv("PULSE_CLIENTCONFIG", QFile::encodeName(clientConf.fileName()));
    // WirePlumber watches no devices here: the desktop keeps its sound cards.
    QDir().mkpath(rt + "/config/wireplumber/main.lua.d");
    QDir().mkpath(rt + "/config/wireplumber/bluetooth.lua.d");
    QFile mainLua(rt + "/config/wireplumber/main.lua.d/60-no-devices.lua");
    QFile bluezLua(rt + "/config/wireplumber/bluetooth.lua.d/60-no-devices.lua");
    if (!mainLua.open(QIODevice::WriteOnly) || !bluezLua.open(QIODevice::WriteOnly)) {
        return "cannot write the WirePlumber configuration";
    }
    mainLua.write("alsa_monitor.enabled = false\nv4l2_monitor.enabled = false\n"
                  "libcamera_monitor.enabled = false\n");
    bluezLua.write("bluez_monitor.enabled = false\n");
    mainLua.close();
    bluezLua.close();

    running_ = true;
    const QString bus = rt + "/bus";
    QFile::remove(bus);
    QString error = startDaemon(
        "dbus-daemon", {"--session", "--nofork", "--nopidfile", "--address=unix:path=" + bus});
    if (error.isEmpty() && !waitFor([&] { return QFileInfo::exists(bus); }, 5000)) {
        error = "dbus-daemon made no socket: " + logTail(rt + "/dbus-daemon.log");
    }
    if (error.isEmpty()) {
        error = kind_ == SoundServer::PipeWire ? startPipeWire() : startPulseAudio();
    }
    if (error.isEmpty()) {
        error = waitForAnswer();
    }
    if (error.isEmpty() && kind_ == SoundServer::PipeWire) {
        QString out;
        if (!run("pactl", {"load-module", "module-null-sink", "sink_name=uplink"}, 5000, &out) ||
            !run("pactl", {"set-default-sink", "uplink"}, 5000, &out) ||
            !waitFor(
                [&] { return run("pactl", {"get-default-sink"}, 2000, &out) && out == "uplink"; },
                5000)) {
            error = "no null sink on PipeWire: " + out;
        }
    }
    if (!error.isEmpty()) {
        stop();
        return error;
    }
    // A null sink nobody feeds goes idle and its monitor delivers nothing; a
    // silent stream keeps it running.
    keepAlive_ = std::make_unique<QProcess>();
    keepAlive_->setStandardInputFile("/dev/zero");
    tieToParent(*keepAlive_);
    keepAlive_->start(
        "pacat", {"--raw", "--format=s16le", "--rate=22050", "--channels=1", "--device=uplink"});
    if (!keepAlive_->waitForStarted(5000)) {
        return "pacat did not start";
    }
    return {};
}

bool NullSinkServer::isRunning() const {
    return running_;
}

void NullSinkServer::stop() {
    endProcess(recorder_, SIGINT);
    endProcess(keepAlive_, SIGTERM);
    while (!daemons_.empty()) {
        endProcess(daemons_.back(), SIGTERM);
        daemons_.pop_back();
    }
    running_ = false;
}

QString NullSinkServer::startRecording(const QString& wavPath) {
    endProcess(recorder_, SIGINT);
    QFile::remove(wavPath);
    recorder_ = std::make_unique<QProcess>();
    tieToParent(*recorder_);
    recorder_->start("parec", {"-d", "uplink.monitor", "--latency-msec=10", "--rate=22050",
                               "--channels=1", "--format=s16le", "--file-format=wav", wavPath});
    if (!recorder_->waitForStarted(5000)) {
        return "parec did not start";
    }
    // parec takes a moment to connect: wait until samples arrive.
    QElapsedTimer waited;
    waited.start();
    while (QFileInfo(wavPath).size() <= 44) {
        if (waited.elapsed() > 5000) {
            return "parec records nothing";
        }
        QThread::msleep(1);
    }
    return {};
}

void NullSinkServer::stopRecording(int tailMs) {
    QThread::msleep(tailMs);
    endProcess(recorder_, SIGINT);
}

QString NullSinkServer::decode(const QString& wavPath) {
    QProcess p;
    p.start("multimon-ng", {"-q", "-a", "DTMF", "-t", "wav", wavPath});
    if (!p.waitForFinished(30000)) {
        p.kill();
        return "<multimon-ng hung>";
    }
    QString symbols;
    static const QRegularExpression line("^DTMF: (.)$", QRegularExpression::MultilineOption);
    auto it = line.globalMatch(QString::fromLocal8Bit(p.readAllStandardOutput()));
    while (it.hasNext()) {
        symbols += it.next().captured(1);
    }
    return symbols;
}

QVector<double> NullSinkServer::onsets(const QString& wavPath) {
    SF_INFO info{};
    SNDFILE* f = sf_open(QFile::encodeName(wavPath).constData(), SFM_READ, &info);
    if (f == nullptr || info.channels != 1) {
        if (f != nullptr) {
            sf_close(f);
        }
        return {};
    }
    std::vector<float> samples(std::size_t(info.frames));
    sf_readf_float(f, samples.data(), info.frames);
    sf_close(f);

    const int window = std::max(1, info.samplerate / 500); // 2 ms
    std::vector<double> envelope(samples.size() / std::size_t(window));
    double peak = 0;
    for (std::size_t w = 0; w < envelope.size(); ++w) {
        double sum = 0;
        for (int i = 0; i < window; ++i) {
            const double s = samples[w * std::size_t(window) + std::size_t(i)];
            sum += s * s;
        }
        envelope[w] = std::sqrt(sum / window);
        peak = std::max(peak, envelope[w]);
    }
    QVector<double> result;
    bool inTone = false;
    const double threshold = 0.2 * peak;
    for (std::size_t w = 0; w < envelope.size(); ++w) {
        if (!inTone && envelope[w] > threshold && peak > 0) {
            // Refine to the first sample above the threshold within the window.
            std::size_t first = w * std::size_t(window);
            const std::size_t last = first + std::size_t(window);
            while (first < last && std::fabs(samples[first]) < threshold) {
                ++first;
            }
            result << 1000.0 * double(first) / info.samplerate;
            inTone = true;
        } else if (inTone && envelope[w] < 0.5 * threshold) {
            inTone = false;
        }
    }
    return result;
}

} // namespace testing
