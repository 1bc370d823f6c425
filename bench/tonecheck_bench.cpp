// SPDX-License-Identifier: GPL-3.0-or-later
// Times the check that a tone file sounds its key, on the 16 files the build
// writes: microseconds per tone, and what checking every tone adds to a
// 20-symbol command.
//
//   tonecheck_bench [repetitions]      (default 2000 per file)

#include "tones/dtmf.h"
#include "tones/soundfile.h"
#include "tones/tonecheck.h"

#include <QDir>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

using Clock = std::chrono::steady_clock;

double microsecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    std::map<char, tones::Samples> files;
    for (const tones::DtmfKey& key : tones::kDtmfKeys) {
        QString error;
        const auto tone = tones::readSoundFile(
            QDir(TONE_DIR).filePath(QString::fromStdString(tones::toneFileName(key))), &error);
        if (!tone) {
            std::fprintf(stderr, "tonecheck_bench: %s\n", qPrintable(error));
            return 1;
        }
        files[key.symbol] = *tone;
    }
    const tones::Samples& first = files.begin()->second;
    std::printf("Tone files: %s, %d Hz, %d channel(s), %.0f ms each\n", TONE_DIR,
                first.format.sampleRate, first.format.channels,
                1000.0 * double(first.frameCount()) / first.format.sampleRate);

    // Each key's own verdict; the optimiser may not drop the calls.
    int refused = 0;
    double slowest = 0;
    double total = 0;
    for (const tones::DtmfKey& key : tones::kDtmfKeys) {
        const auto start = Clock::now();
        for (int r = 0; r < repetitions; ++r) {
            refused += tones::carriesDtmfPair(files[key.symbol], key) ? 0 : 1;
        }
        const double perTone = microsecondsSince(start) / repetitions;
        slowest = std::max(slowest, perTone);
        total += perTone;
    }
    std::printf("Check per tone: %.1f us mean, %.1f us slowest key (%d repetitions per key)\n",
                total / double(tones::kDtmfKeys.size()), slowest, repetitions);

    const std::string command = "**1234567890ABCD*#5#";
    const auto start = Clock::now();
    for (int r = 0; r < repetitions; ++r) {
        for (const char symbol : command) {
            refused += tones::carriesDtmfPair(files[symbol], *tones::dtmfKey(symbol)) ? 0 : 1;
        }
    }
    const double perCommand = microsecondsSince(start) / repetitions;
    std::printf("Added to the %lld-symbol command \"%s\": %.2f ms (%.1f us per symbol)\n",
                static_cast<long long>(command.size()), command.c_str(), perCommand / 1000,
                perCommand / double(command.size()));
    if (refused > 0) {
        std::printf("Refused: %d checks\n", refused);
    }
    return refused > 0 ? 1 : 0;
}
