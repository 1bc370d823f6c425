#include "onsets.h"

#include <QFile>
#include <cmath>
#include <sndfile.h>
#include <vector>

namespace bench {

QVector<double> Onsets(const QString& wavPath) {
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

} // namespace bench
