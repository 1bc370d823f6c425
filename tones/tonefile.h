#pragma once
// Reading a tone file into memory and fitting it to an open stream.

#include "tones/audiooutput.h"

#include <QString>
#include <optional>
#include <vector>

namespace tones {

struct Samples {
    AudioFormat format;
    std::vector<float> frames; // interleaved
    qint64 frameCount() const {
        return format.channels > 0 ? qint64(frames.size()) / format.channels : 0;
    }
};

// The whole file, or nothing when it is missing, not a regular file, empty,
// truncated or not a sound file that can be read.
std::optional<Samples> ReadToneFile(const QString& path);

// The same sound at another rate and channel count. Rates are converted with a
// band-limited resampler; channels are repeated or mixed down.
Samples ConvertSamples(const Samples& in, const AudioFormat& to);

} // namespace tones
