// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sound in memory: a sound file read whole (libsndfile), and the same sound
// fitted to another rate and channel count (libsamplerate).

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

// The whole file. Nothing when it is missing, not a regular file, empty, cut
// short or not a sound file that can be read; then `error`, when given, says
// why, and a failed library call has been logged with the library's words.
std::optional<Samples> readSoundFile(const QString& path, QString* error = nullptr);

// The rate and channels of a sound file, its sound not read; nothing when it
// cannot be opened (not logged: reading it tells why).
std::optional<AudioFormat> soundFileFormat(const QString& path);

// The same sound at another rate and channel count, as long as before. Rates
// are converted with a band-limited resampler. Channels: one is repeated into
// all, several are mixed down to one (their mean), else channel n goes to
// channel n and the last is repeated. No frames when the conversion failed;
// then `error`, when given, says why.
Samples convertSamples(const Samples& in, const AudioFormat& to, QString* error = nullptr);

} // namespace tones
