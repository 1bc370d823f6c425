#include "support/nullsink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <cmath>
#include <csignal>
#include <sndfile.h>

namespace testing {
namespace {

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

// Runs the server script; empty on success, else what it said.
QString serverScript(const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start("bash", QStringList{SOUND_SERVER_SCRIPT} + args);
    if (!p.waitForFinished(30000)) {
        p.kill();
        return "the sound server script hung";
    }
    return p.exitCode() == 0 ? QString() : QString::fromLocal8Bit(p.readAll()).trimmed();
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
    const QString error =
        serverScript({"start", kind_ == SoundServer::PipeWire ? "pipewire" : "pulseaudio", rt,
                      QString::number(QCoreApplication::applicationPid())});
    running_ = error.isEmpty();
    return error;
}

bool NullSinkServer::isRunning() const {
    return running_;
}

void NullSinkServer::stop() {
    endProcess(recorder_, SIGINT);
    if (running_) {
        serverScript({"stop", runtimeDir()});
        running_ = false;
    }
}

QString NullSinkServer::startRecording(const QString& wavPath) {
    endProcess(recorder_, SIGINT);
    QFile::remove(wavPath);
    recorder_ = std::make_unique<QProcess>();
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
