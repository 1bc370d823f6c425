#include "tones/tonefile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <samplerate.h>
#include <sndfile.h>

namespace tones {
namespace {

int bytesPerSample(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 1;
    case SF_FORMAT_PCM_16:
        return 2;
    case SF_FORMAT_PCM_24:
        return 3;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
        return 4;
    case SF_FORMAT_DOUBLE:
        return 8;
    default:
        return 0; // compressed: no fixed size to check against
    }
}

// libsndfile plays a cut-off file as far as it goes. A file whose data chunk
// promises more than the file holds is truncated: playing part of a tone would
// be worse than reporting it.
bool isTruncated(SNDFILE* file, const SF_INFO& info) {
    const int width = bytesPerSample(info.format);
    if (width == 0) {
        return false;
    }
    SF_CHUNK_INFO chunk{};
    std::snprintf(chunk.id, sizeof chunk.id, "data");
    chunk.id_size = 4;
    SF_CHUNK_ITERATOR* it = sf_get_chunk_iterator(file, &chunk);
    if (it == nullptr || sf_get_chunk_size(it, &chunk) != SF_ERR_NO_ERROR) {
        return false;
    }
    return qint64(chunk.datalen) > qint64(info.frames) * info.channels * width;
}

} // namespace

std::optional<Samples> ReadToneFile(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return std::nullopt;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (file == nullptr) {
        return std::nullopt;
    }
    std::optional<Samples> result;
    if (info.frames > 0 && info.channels > 0 && info.samplerate > 0 &&
        info.frames < (qint64(1) << 31) / info.channels && !isTruncated(file, info)) {
        Samples samples;
        samples.format = {info.samplerate, info.channels};
        samples.frames.resize(std::size_t(info.frames) * std::size_t(info.channels));
        const sf_count_t read = sf_readf_float(file, samples.frames.data(), info.frames);
        if (read == info.frames && sf_error(file) == SF_ERR_NO_ERROR) {
            result = std::move(samples);
        }
    }
    sf_close(file);
    return result;
}

namespace {

std::vector<float> mapChannels(const std::vector<float>& in, int from, int to) {
    const std::size_t frames = in.size() / std::size_t(from);
    std::vector<float> out(frames * std::size_t(to));
    for (std::size_t f = 0; f < frames; ++f) {
        const float* src = &in[f * std::size_t(from)];
        float* dst = &out[f * std::size_t(to)];
        if (to == 1) {
            float sum = 0;
            for (int c = 0; c < from; ++c) {
                sum += src[c];
            }
            dst[0] = sum / float(from);
        } else {
            for (int c = 0; c < to; ++c) {
                dst[c] = src[from == 1 ? 0 : std::min(c, from - 1)];
            }
        }
    }
    return out;
}

} // namespace

Samples ConvertSamples(const Samples& in, const AudioFormat& to) {
    Samples out;
    out.format = to;
    out.frames = in.format.channels == to.channels
                     ? in.frames
                     : mapChannels(in.frames, in.format.channels, to.channels);
    if (in.format.sampleRate == to.sampleRate || out.frames.empty()) {
        return out;
    }
    const double ratio = double(to.sampleRate) / double(in.format.sampleRate);
    const long inFrames = long(out.frames.size() / std::size_t(to.channels));
    const long outFrames = std::lround(double(inFrames) * ratio);
    std::vector<float> resampled(std::size_t(outFrames) * std::size_t(to.channels));
    SRC_DATA data{};
    data.data_in = out.frames.data();
    data.input_frames = inFrames;
    data.data_out = resampled.data();
    data.output_frames = outFrames;
    data.src_ratio = ratio;
    if (src_simple(&data, SRC_SINC_MEDIUM_QUALITY, to.channels) == 0) {
        // Keep the tone's length exact: pad what the filter did not deliver.
        std::fill(resampled.begin() + data.output_frames_gen * to.channels, resampled.end(), 0.0F);
        out.frames = std::move(resampled);
    } else {
        out.frames.clear();
    }
    return out;
}

} // namespace tones
