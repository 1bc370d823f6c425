// SPDX-License-Identifier: GPL-3.0-or-later
// Measures how faithfully a command goes out: dials an 88-symbol command through
// the real tone player and PortAudio into a private PulseAudio null sink, records
// the sink and prints one table. The same command is then played the way a
// one-sound-at-a-time platform call plays it (a stream opened, played and closed
// per file) as the baseline.
//
//   dial_bench            (needs pulseaudio, parec, multimon-ng and sox)

#include "commands/elements.h"
#include "onsets.h"
#include "support/nullsink.h"
#include "tones/dtmf.h"
#include "tones/portaudiooutput.h"
#include "tones/soundfile.h"
#include "tones/toneplayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// Watches the recording grow, so that a sample's index can be turned into the
// moment it reached the recorder.
class ArrivalLog {
public:
    explicit ArrivalLog(QString path) : path_(std::move(path)) {
        thread_ = std::thread([this] {
            while (!stop_) {
                const qint64 size = QFileInfo(path_).size();
                if (entries_.empty() || entries_.back().second != size) {
                    entries_.emplace_back(Clock::now(), size);
                }
                std::this_thread::sleep_for(std::chrono::microseconds(250));
            }
        });
    }
    ~ArrivalLog() { finish(); }
    void finish() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    // When the byte at `offset` was first seen in the file.
    Clock::time_point arrivalOf(qint64 offset) const {
        for (const auto& [when, size] : entries_) {
            if (size > offset) {
                return when;
            }
        }
        return entries_.empty() ? Clock::time_point() : entries_.back().first;
    }

private:
    QString path_;
    std::atomic<bool> stop_{false};
    std::vector<std::pair<Clock::time_point, qint64>> entries_;
    std::thread thread_;
};

// Index of the first frame louder than a tenth of the (mono) recording's peak.
qint64 firstLoudFrame(const QString& wav) {
    const std::optional<tones::Samples> recording = tones::readSoundFile(wav);
    if (!recording || recording->format.channels != 1) {
        return -1;
    }
    const std::vector<float>& s = recording->frames;
    float peak = 0;
    for (float v : s) {
        peak = std::max(peak, std::fabs(v));
    }
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (std::fabs(s[i]) > 0.1F * peak) {
            return qint64(i);
        }
    }
    return -1;
}

QString toneFilePath(QChar symbol) {
    return QDir(TONE_DIR).filePath(
        QString::fromStdString(tones::toneFileName(*tones::dtmfKey(symbol.unicode()))));
}

struct Run {
    QString decoded;
    QVector<double> onsets;
    double totalMs = 0;
    double firstSampleMs = 0;
    int failures = 0;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    testing::NullSinkServer server{testing::NullSinkServer::fromEnvironment()};
    if (const QString error = server.start(); !error.isEmpty()) {
        std::fprintf(stderr, "dial_bench: %s\n", qPrintable(error));
        return 1;
    }
    tones::PortAudioOutput output;
    const auto initStart = Clock::now();
    if (!output.initialize()) {
        std::fprintf(stderr, "dial_bench: no sound output\n");
        return 1;
    }
    const double initMs = msBetween(initStart, Clock::now());

    const commands::ElementSet set{
        "1 99999U 12999A   12059.51782528  .00016717  00000-0  10270-3 0  9005",
        "2 99999  51.6415 279.4564 0010483 281.6924 180.1234 15.58461234123456"};
    const QString command = commands::buildElementsCommand(set);

    // Length of each symbol's file.
    QVector<double> fileMs;
    double sumMs = 0;
    for (const QChar symbol : command) {
        const auto tone = tones::readSoundFile(toneFilePath(symbol));
        const double ms = tone ? 1000.0 * double(tone->frameCount()) / tone->format.sampleRate : 0;
        fileMs << ms;
        sumMs += ms;
    }

    QTemporaryDir work;
    tones::TonePlayer player(TONE_DIR, output);
    int failures = 0;
    const auto countFailure = [&](const QString&, qsizetype) { ++failures; };

    auto measure = [&](const std::function<void()>& dial) {
        Run run;
        const QString wav = work.filePath("bench.wav");
        failures = 0;
        if (const QString error = server.startRecording(wav); !error.isEmpty()) {
            std::fprintf(stderr, "dial_bench: %s\n", qPrintable(error));
            std::exit(1);
        }
        ArrivalLog arrivals(wav);
        const auto sent = Clock::now();
        dial();
        run.totalMs = msBetween(sent, Clock::now());
        server.stopRecording();
        arrivals.finish();
        run.failures = failures;
        run.decoded = testing::NullSinkServer::decode(wav);
        run.onsets = bench::onsets(wav);
        const qint64 first = firstLoudFrame(wav);
        // 44 bytes of header, two bytes a sample. The moment the sample reached
        // the file bounds from above the moment it left the sink.
        run.firstSampleMs = msBetween(sent, arrivals.arrivalOf(44 + 2 * first));
        return run;
    };

    const Run gapless = measure([&] { player.play(command, countFailure); });
    const Run perFile = measure([&] {
        for (const QChar symbol : command) {
            if (!player.playToneFile(toneFilePath(symbol))) {
                ++failures;
            }
        }
    });

    auto row = [&](const char* what, const Run& r) {
        double meanDiff = 0;
        double maxDiff = 0;
        const int pairs = int(std::min<qsizetype>(r.onsets.size(), fileMs.size())) - 1;
        for (int i = 0; i < pairs; ++i) {
            const double diff = std::fabs((r.onsets[i + 1] - r.onsets[i]) - fileMs[i]);
            meanDiff += diff;
            maxDiff = std::max(maxDiff, diff);
        }
        meanDiff = pairs > 0 ? meanDiff / pairs : 0;
        int same = 0;
        for (int i = 0; i < std::min(r.decoded.size(), command.size()); ++i) {
            same += r.decoded.at(i) == command.at(i) ? 1 : 0;
        }
        out << QString("| %1 | %2 | %3 | %4 / %5 = %6 | %7 of %8%9 | %10 |\n")
                   .arg(what)
                   .arg(meanDiff, 0, 'f', 2)
                   .arg(maxDiff, 0, 'f', 2)
                   .arg(r.totalMs, 0, 'f', 0)
                   .arg(sumMs, 0, 'f', 0)
                   .arg(r.totalMs / sumMs, 0, 'f', 4)
                   .arg(same)
                   .arg(command.size())
                   .arg(r.decoded == command ? "" : " (differs)")
                   .arg(r.firstSampleMs, 0, 'f', 1);
    };
    out << "Command: " << command << " (" << command.size() << " symbols, files "
        << QString::number(sumMs, 'f', 0) << " ms in all)\n"
        << "Audio system start: " << QString::number(initMs, 'f', 0) << " ms (once)\n\n"
        << "| How it was played | onset-to-onset minus file length, mean (ms) | largest (ms) "
           "| total / sum of files (ms) | decoded | call to first sample (ms, at most) |\n"
        << "|---|---|---|---|---|---|\n";
    row("one stream per command", gapless);
    row("a stream per file (baseline)", perFile);
    out << "\nBaseline total / one-stream total: "
        << QString::number(perFile.totalMs / gapless.totalMs, 'f', 3) << "\n";
    if (gapless.failures + perFile.failures > 0) {
        out << "Tones that did not go out: " << gapless.failures << " and " << perFile.failures
            << "\n";
    }
    out.flush();
    return gapless.decoded == command ? 0 : 1;
}
