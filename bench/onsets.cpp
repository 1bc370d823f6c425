// SPDX-License-Identifier: GPL-3.0-or-later
#include "onsets.h"

#include "tones/soundfile.h"

#include <cmath>
#include <vector>

namespace bench {

QVector<double> onsets(const QString& wavPath) {
    const std::optional<tones::Samples> recording = tones::readSoundFile(wavPath);
    if (!recording) {
        return {};
    }
    const int rate = recording->format.sampleRate;
    const std::vector<float> samples = tones::convertSamples(*recording, {rate, 1}).frames;

    const int window = std::max(1, rate / 500); // 2 ms
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
            result << 1000.0 * double(first) / rate;
            inTone = true;
        } else if (inTone && envelope[w] < 0.5 * threshold) {
            inTone = false;
        }
    }
    return result;
}

} // namespace bench
