// SPDX-License-Identifier: GPL-3.0-or-later
#include "tones/tonecheck.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace tones {
namespace {

// Analysis block, Hann windowed, overlapping the next by half or more so that
// no sample is seen only at the window's edges. 28 ms puts the neighbouring
// row (about 10 % away, 73 Hz at the lowest) just past the window's main lobe,
// so that one row does not pass for two, and fits inside a 30 ms tone, which
// is then refused for its length.
constexpr double kBlockSeconds = 0.028;
// A frequency is present when its nominal bin is at least as strong as bins
// 4.5 % either side of it: that holds for a tone up to half way between them,
// 2.25 % off. Transmitters keep within 1.5 %; 3 % is refused.
constexpr double kEdgeProbe = 0.045;
// Its power is the strongest of the nominal bin and bins 2 % either side, so
// that a tone off nominal loses at most 1.5 dB to the bins' spacing.
constexpr double kPowerProbe = 0.02;
// Row and column power within 8 dB of each other, either way.
constexpr double kMaxTwistDb = 8;
// Every other row and every other column at least 10 dB below the chosen one.
// A pair up to 2 % off leaks into the other bins at least 18 dB down, which
// leaves 8 dB of margin and still catches a second frequency really there.
constexpr double kMinOtherDb = 10;
// The two frequencies carry at least 60 % of the block's power. A pair up to
// 2 % off carries over 94 %; with fades as long as half a 40 ms tone, over 85 %.
// Noise, speech and music spread their power wider.
constexpr double kMinPairShare = 0.6;

// Sound is what lies within 40 dB of the loudest sample; shorter drops below
// that (a zero crossing, a dropout of up to 10 ms, which a receiver bridges
// too) do not end it.
constexpr double kSoundFloor = 0.01;
constexpr double kBridgeSeconds = 0.010;
// A tone's length runs from where it first rises within 40 dB of the peak to
// where it last falls below. Fades as long as half the tone lose up to 5 ms of
// a 40 ms tone (35.1 ms measured at -60 dBFS in 16 bits, where the start of a
// fade rounds to zero). 33 ms keeps every such tone and refuses 30 ms.
constexpr double kMinToneSeconds = 0.033;
// A peak below -80 dBFS is silence.
constexpr double kSilencePeak = 1e-4;
// Fast enough for the highest probe, 1633 Hz + 4.5 %, with room to spare.
constexpr int kMinRate = 4000;

struct Span {
    qint64 begin = 0;
    qint64 end = 0;
};

// The stretches of sound in `mono` (see kSoundFloor).
std::vector<Span> soundSpans(const std::vector<float>& mono, float threshold, qint64 bridge) {
    std::vector<Span> spans;
    for (qint64 i = 0; i < qint64(mono.size()); ++i) {
        if (std::fabs(mono[std::size_t(i)]) < threshold) {
            continue;
        }
        if (spans.empty() || i - spans.back().end >= bridge) {
            spans.push_back({i, i + 1});
        } else {
            spans.back().end = i + 1;
        }
    }
    return spans;
}

// Powers of a windowed block at these frequencies (Goertzel), scaled so that a
// steady sine of amplitude a at the frequency gives a * a / 2.
template <std::size_t N>
std::array<double, N> powersAt(const std::vector<float>& block, const std::array<double, N>& hz,
                               double rate, double windowSum) {
    std::array<double, N> coeff{};
    std::array<double, N> s1{};
    std::array<double, N> s2{};
    for (std::size_t k = 0; k < N; ++k) {
        coeff[k] = 2 * std::cos(2 * std::numbers::pi * hz[k] / rate);
    }
    for (const float x : block) {
        for (std::size_t k = 0; k < N; ++k) {
            const double s0 = x + coeff[k] * s1[k] - s2[k];
            s2[k] = s1[k];
            s1[k] = s0;
        }
    }
    std::array<double, N> power{};
    for (std::size_t k = 0; k < N; ++k) {
        const double squared = s1[k] * s1[k] + s2[k] * s2[k] - coeff[k] * s1[k] * s2[k];
        power[k] = 2 * squared / (windowSum * windowSum);
    }
    return power;
}

class BlockJudge {
public:
    BlockJudge(int rate, qint64 length, const DtmfKey& key)
        : rate_(rate), row_(key.row), column_(key.column) {
        window_.resize(std::size_t(length));
        for (std::size_t n = 0; n < window_.size(); ++n) {
            window_[n] = float(
                0.5 - 0.5 * std::cos(2 * std::numbers::pi * (double(n) + 0.5) / double(length)));
            windowSum_ += window_[n];
            windowSquares_ += double(window_[n]) * window_[n];
        }
        block_.resize(window_.size());
        std::copy(kDtmfRowHz.begin(), kDtmfRowHz.end(), hz_.begin());
        std::copy(kDtmfColumnHz.begin(), kDtmfColumnHz.end(), hz_.begin() + 4);
        const double pair[] = {key.rowHz(), key.columnHz()};
        for (std::size_t k = 0; k < 2; ++k) {
            hz_[8 + 4 * k] = pair[k] * (1 - kEdgeProbe);
            hz_[9 + 4 * k] = pair[k] * (1 + kEdgeProbe);
            hz_[10 + 4 * k] = pair[k] * (1 - kPowerProbe);
            hz_[11 + 4 * k] = pair[k] * (1 + kPowerProbe);
        }
    }

    qint64 length() const { return qint64(window_.size()); }

    // Whether the block of samples from `first` sounds the pair alone.
    bool carriesPair(const float* first) {
        double total = 0;
        for (std::size_t n = 0; n < block_.size(); ++n) {
            block_[n] = first[n] * window_[n];
            total += double(block_[n]) * block_[n];
        }
        total /= windowSquares_;
        const auto p = powersAt(block_, hz_, rate_, windowSum_);
        const double nominalRow = p[std::size_t(row_)];
        const double nominalColumn = p[4 + std::size_t(column_)];
        if (total <= 0 || nominalRow < std::max(p[8], p[9]) ||
            nominalColumn < std::max(p[12], p[13])) {
            return false;
        }
        const double row = std::max({nominalRow, p[10], p[11]});
        const double column = std::max({nominalColumn, p[14], p[15]});
        const double twist = std::pow(10.0, kMaxTwistDb / 10);
        if (row > twist * column || column > twist * row) {
            return false;
        }
        const double other = std::pow(10.0, kMinOtherDb / 10);
        for (int k = 0; k < 4; ++k) {
            if ((k != row_ && other * p[std::size_t(k)] > row) ||
                (k != column_ && other * p[4 + std::size_t(k)] > column)) {
                return false;
            }
        }
        return row + column >= kMinPairShare * total;
    }

private:
    int rate_;
    int row_;
    int column_;
    std::vector<float> window_;
    std::vector<float> block_;
    double windowSum_ = 0;
    double windowSquares_ = 0;
    // Rows, columns, then for the row and for the column the edge probes and the
    // power probes either side.
    std::array<double, 16> hz_{};
};

} // namespace

bool carriesDtmfPair(const Samples& tone, const DtmfKey& key) {
    const int rate = tone.format.sampleRate;
    if (rate < kMinRate || tone.format.channels <= 0 || tone.frameCount() == 0) {
        return false;
    }
    const std::vector<float> mono = convertSamples(tone, {rate, 1}).frames;
    float peak = 0;
    for (const float sample : mono) {
        peak = std::max(peak, std::fabs(sample));
    }
    if (peak < kSilencePeak) {
        return false;
    }

    BlockJudge judge(rate, std::llround(kBlockSeconds * rate), key);
    const qint64 block = judge.length();
    bool longEnough = false;
    for (const Span& span :
         soundSpans(mono, kSoundFloor * peak, std::llround(kBridgeSeconds * rate))) {
        const qint64 length = span.end - span.begin;
        if (length < block) {
            continue; // too short to be heard as a digit
        }
        // Blocks from the first to the last sample of the span, overlapping by
        // at least half.
        const qint64 steps = (length - block + block / 2 - 1) / (block / 2);
        for (qint64 k = 0; k <= steps; ++k) {
            const qint64 start = span.begin + (steps == 0 ? 0 : (length - block) * k / steps);
            if (!judge.carriesPair(mono.data() + start)) {
                return false;
            }
        }
        longEnough = longEnough || double(length) >= kMinToneSeconds * rate;
    }
    return longEnough;
}

} // namespace tones
