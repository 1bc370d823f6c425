// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the 16 DTMF tone files "1.wav" to "16.wav" that the dialer plays: for
// each key the standard pair of a row and a column frequency at equal level,
// followed by silence, with short raised-cosine fades against clicks.
//
//   gen_tones [--out DIR] [--tone-ms N] [--gap-ms N] [--rate HZ] [--level DBFS]
//             [--fade-ms N] [--format pcm16|float] [--keys LIST]
//
// --level is the peak of the two tones together, in dB below full scale.
// --keys picks some keys only, as a string of symbols (for example "123#").

#include "tones/dtmf.h"

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

namespace {

struct Options {
    std::string out = ".";
    double toneMs = 100;
    double gapMs = 100;
    int rate = 48000;
    double levelDb = -3;
    double fadeMs = 5;
    bool floatSamples = false;
    std::string keys = "1234567890*#ABCD";
};

[[noreturn]] void usage(const char* message) {
    std::fprintf(stderr,
                 "gen_tones: %s\n"
                 "usage: gen_tones [--out DIR] [--tone-ms N] [--gap-ms N] [--rate HZ]\n"
                 "                 [--level DBFS] [--fade-ms N] [--format pcm16|float]\n"
                 "                 [--keys LIST]\n",
                 message);
    std::exit(2);
}

double number(const char* text, double low, double high, const char* what) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value >= low && value <= high)) {
        usage(what);
    }
    return value;
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) {
            usage(("missing value after " + arg).c_str());
        }
        const char* value = argv[++i];
        if (arg == "--out") {
            o.out = value;
        } else if (arg == "--tone-ms") {
            o.toneMs = number(value, 1, 10000, "--tone-ms takes 1 to 10000");
        } else if (arg == "--gap-ms") {
            o.gapMs = number(value, 0, 10000, "--gap-ms takes 0 to 10000");
        } else if (arg == "--rate") {
            o.rate = int(number(value, 8000, 192000, "--rate takes 8000 to 192000"));
        } else if (arg == "--level") {
            o.levelDb = number(value, -60, 0, "--level takes -60 to 0 (dBFS)");
        } else if (arg == "--fade-ms") {
            o.fadeMs = number(value, 0, 50, "--fade-ms takes 0 to 50");
        } else if (arg == "--format") {
            const std::string f = value;
            if (f != "pcm16" && f != "float") {
                usage("--format takes pcm16 or float");
            }
            o.floatSamples = f == "float";
        } else if (arg == "--keys") {
            o.keys = value;
        } else {
            usage(("unknown option " + arg).c_str());
        }
    }
    return o;
}

std::vector<float> synthesize(const tones::DtmfKey& key, const Options& o) {
    const auto toneFrames = std::size_t(std::lround(o.toneMs * o.rate / 1000.0));
    const auto gapFrames = std::size_t(std::lround(o.gapMs * o.rate / 1000.0));
    const auto fadeFrames =
        std::min(toneFrames / 2, std::size_t(std::lround(o.fadeMs * o.rate / 1000.0)));
    // Each tone at half the peak, so that their sum never exceeds it.
    const double amplitude = 0.5 * std::pow(10.0, o.levelDb / 20.0);
    std::vector<float> samples(toneFrames + gapFrames, 0.0F);
    for (std::size_t i = 0; i < toneFrames; ++i) {
        const double t = double(i) / o.rate;
        double envelope = 1.0;
        const std::size_t fromEdge = std::min(i, toneFrames - 1 - i);
        if (fromEdge < fadeFrames) {
            envelope = 0.5 - 0.5 * std::cos(std::numbers::pi * double(fromEdge) / fadeFrames);
        }
        const double value = std::sin(2 * std::numbers::pi * key.rowHz() * t) +
                             std::sin(2 * std::numbers::pi * key.columnHz() * t);
        samples[i] = float(amplitude * envelope * value);
    }
    return samples;
}

bool writeFile(const std::filesystem::path& path, const std::vector<float>& samples,
               const Options& o) {
    SF_INFO info{};
    info.samplerate = o.rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | (o.floatSamples ? SF_FORMAT_FLOAT : SF_FORMAT_PCM_16);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "gen_tones: cannot write %s: %s\n", path.c_str(),
                     sf_strerror(nullptr));
        return false;
    }
    const sf_count_t written = sf_writef_float(file, samples.data(), sf_count_t(samples.size()));
    sf_close(file);
    return written == sf_count_t(samples.size());
}

} // namespace

int main(int argc, char** argv) {
    const Options o = parse(argc, argv);
    std::error_code error;
    std::filesystem::create_directories(o.out, error);
    for (const char symbol : o.keys) {
        const std::optional<tones::DtmfKey> key =
            tones::dtmfKey(static_cast<unsigned char>(symbol));
        if (!key) {
            usage("--keys takes DTMF symbols only");
        }
        const auto path = std::filesystem::path(o.out) / tones::toneFileName(*key);
        if (!writeFile(path, synthesize(*key, o), o)) {
            return 1;
        }
    }
    return 0;
}
