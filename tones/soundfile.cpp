// SPDX-License-Identifier: GPL-3.0-or-later
#include "tones/soundfile.h"

#include "tones/soundlog.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <cmath>
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

// How many bytes of sound a file's data chunk promises, when it has one.
std::optional<qint64> promisedDataBytes(SNDFILE* file) {
    SF_CHUNK_INFO chunk{};
    qstrncpy(chunk.id, "data", sizeof chunk.id);
    chunk.id_size = 4;
    SF_CHUNK_ITERATOR* it = sf_get_chunk_iterator(file, &chunk);
    if (it == nullptr || sf_get_chunk_size(it, &chunk) != SF_ERR_NO_ERROR) {
        return std::nullopt;
    }
    return qint64(chunk.datalen);
}

// Records why, and says nothing came of it.
std::nullopt_t failed(QString* error, const QString& path, const QString& why) {
    if (error != nullptr) {
        *error = path + QStringLiteral(": ") + why;
    }
    return std::nullopt;
}

} // namespace

std::optional<AudioFormat> soundFileFormat(const QString& path) {
    SF_INFO format{};
    SNDFILE* file = QFileInfo(path).isFile()
                        ? sf_open(QFile::encodeName(path).constData(), SFM_READ, &format)
                        : nullptr;
    if (file == nullptr) {
        return std::nullopt;
    }
    sf_close(file);
    return AudioFormat{format.samplerate, format.channels};
}

std::optional<Samples> readSoundFile(const QString& path, QString* error) {
    // Only regular files: opening a fifo would wait for a writer.
    const QFileInfo info(path);
    if (!info.exists()) {
        return failed(error, path, QStringLiteral("no such file"));
    }
    if (!info.isFile()) {
        return failed(error, path, QStringLiteral("not a regular file"));
    }
    SF_INFO format{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &format);
    if (file == nullptr) {
        const QString why = QString::fromLocal8Bit(sf_strerror(nullptr));
        qCWarning(lcSound).noquote() << "sf_open" << path << "failed:" << why;
        return failed(error, path, why);
    }
    const auto close = qScopeGuard([file] { sf_close(file); });
    if (format.frames <= 0 || format.channels <= 0 || format.samplerate <= 0) {
        return failed(error, path, QStringLiteral("holds no sound"));
    }
    if (format.frames >= (qint64(1) << 31) / format.channels) {
        return failed(error, path, QStringLiteral("too long"));
    }
    // libsndfile reads a cut-off file as far as it goes; playing part of a tone
    // would be worse than reporting it.
    const int width = bytesPerSample(format.format);
    const qint64 held = qint64(format.frames) * format.channels * width;
    if (const auto promised = promisedDataBytes(file); width > 0 && promised && *promised > held) {
        return failed(
            error, path,
            QStringLiteral("cut short: %1 of %2 bytes of sound").arg(held).arg(*promised));
    }
    Samples samples;
    samples.format = {format.samplerate, format.channels};
    samples.frames.resize(std::size_t(format.frames) * std::size_t(format.channels));
    const sf_count_t read = sf_readf_float(file, samples.frames.data(), format.frames);
    if (sf_error(file) != SF_ERR_NO_ERROR) {
        const QString why = QString::fromLocal8Bit(sf_strerror(file));
        qCWarning(lcSound).noquote() << "sf_readf_float" << path << "failed:" << why;
        return failed(error, path, why);
    }
    if (read != format.frames) {
        return failed(error, path,
                      QStringLiteral("cut short: %1 of %2 frames").arg(read).arg(format.frames));
    }
    return samples;
}

namespace {

std::vector<float> mapChannels(const std::vector<float>& in, int from, int to) {
    const std::size_t frames = in.size() / std::size_t(from);
    std::vector<float> out(frames * std::size_t(to));
    for (std::size_t f = 0; f < frames; ++f) {
        const float* source = &in[f * std::size_t(from)];
        float* target = &out[f * std::size_t(to)];
        if (to == 1) {
            float sum = 0;
            for (int c = 0; c < from; ++c) {
                sum += source[c];
            }
            target[0] = sum / float(from);
        } else {
            for (int c = 0; c < to; ++c) {
                target[c] = source[std::min(c, from - 1)];
            }
        }
    }
    return out;
}

} // namespace

Samples convertSamples(const Samples& in, const AudioFormat& to, QString* error) {
    Samples out;
    out.format = to;
    if (in.format.channels <= 0 || to.channels <= 0 || in.format.sampleRate <= 0 ||
        to.sampleRate <= 0) {
        if (error != nullptr) {
            *error = QStringLiteral("no conversion from %1 Hz, %2 channel(s) to %3 Hz, %4")
                         .arg(in.format.sampleRate)
                         .arg(in.format.channels)
                         .arg(to.sampleRate)
                         .arg(to.channels);
        }
        return out;
    }
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
    if (const int failure = src_simple(&data, SRC_SINC_MEDIUM_QUALITY, to.channels); failure != 0) {
        const QString why = QString::fromUtf8(src_strerror(failure));
        qCWarning(lcSound).noquote() << "src_simple failed:" << why;
        if (error != nullptr) {
            *error = why;
        }
        out.frames.clear();
        return out;
    }
    // Keep the length exact: pad what the filter did not deliver.
    std::fill(resampled.begin() + data.output_frames_gen * to.channels, resampled.end(), 0.0F);
    out.frames = std::move(resampled);
    return out;
}

} // namespace tones
