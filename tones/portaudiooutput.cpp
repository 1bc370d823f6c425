#include "tones/portaudiooutput.h"

#include "tones/soundlog.h"

#include <QThread>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <portaudio.h>
#include <vector>

namespace tones {
namespace {

// Latency asked of the device: short enough that a command starts at once, long
// enough that a busy moment of the machine does not starve the stream.
constexpr double kSuggestedLatency = 0.03;
// Frames are handed over in pieces this long.
constexpr int kPieceMs = 20;

// "Pa_WriteStream: <PortAudio's text> (<the host's text>)".
QString describe(const char* call, PaError error) {
    QString text = QString::fromUtf8(Pa_GetErrorText(error));
    if (error == paUnanticipatedHostError) {
        const PaHostErrorInfo* host = Pa_GetLastHostErrorInfo();
        if (host != nullptr && host->errorText != nullptr && *host->errorText != '\0') {
            text += QStringLiteral(" (%1)").arg(QString::fromUtf8(host->errorText));
        }
    }
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(call), text);
}

// Logs a failed call that nobody is told about otherwise.
void logFailure(const char* call, PaError error) {
    qCWarning(lcSound).noquote() << describe(call, error);
}

} // namespace

PortAudioOutput::PortAudioOutput() = default;

PortAudioOutput::~PortAudioOutput() {
    close();
    if (initialized_) {
        Pa_Terminate();
    }
}

bool PortAudioOutput::initialize() {
    if (initialized_ && Pa_GetDefaultOutputDevice() != paNoDevice) {
        return true;
    }
    // No device at the last look (no sound server yet, or none at all): look again.
    if (initialized_) {
        Pa_Terminate();
        initialized_ = false;
    }
    if (const PaError error = Pa_Initialize(); error != paNoError) {
        error_ = describe("Pa_Initialize", error);
        qCWarning(lcSound).noquote() << error_;
        return false;
    }
    initialized_ = true;
    if (Pa_GetDefaultOutputDevice() == paNoDevice) {
        error_ = QStringLiteral("Pa_GetDefaultOutputDevice: no sound output device");
        qCWarning(lcSound).noquote() << error_;
        return false;
    }
    return true;
}

bool PortAudioOutput::open(const AudioFormat& wanted) {
    close();
    if (!initialize()) {
        return false;
    }
    const PaDeviceIndex device = Pa_GetDefaultOutputDevice();
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    if (info == nullptr || info->maxOutputChannels < 1) {
        return fail(QStringLiteral("Pa_GetDeviceInfo: the default device has no output"));
    }
    PaStreamParameters params{};
    params.device = device;
    params.channelCount = std::clamp(wanted.channels, 1, info->maxOutputChannels);
    params.sampleFormat = paFloat32;
    params.suggestedLatency = std::max(kSuggestedLatency, info->defaultLowOutputLatency);

    // A device that refuses the file's rate gets its own rate, and the tones are
    // converted to it.
    double rate = wanted.sampleRate;
    if (Pa_IsFormatSupported(nullptr, &params, rate) != paFormatIsSupported) {
        rate = info->defaultSampleRate;
    }
    PaStream* stream = nullptr;
    if (const PaError error =
            Pa_OpenStream(&stream, nullptr, &params, rate, paFramesPerBufferUnspecified, paClipOff,
                          nullptr, nullptr);
        error != paNoError) {
        return fail(describe("Pa_OpenStream", error));
    }
    stream_ = stream;
    format_ = {int(rate), params.channelCount};
    const PaStreamInfo* streamInfo = Pa_GetStreamInfo(stream);
    outputLatency_ = streamInfo != nullptr ? streamInfo->outputLatency : kSuggestedLatency;
    if (!ensureStarted()) {
        close();
        return false;
    }
    return true;
}

bool PortAudioOutput::ensureStarted() {
    if (started_) {
        return true;
    }
    if (const PaError error = Pa_StartStream(stream_); error != paNoError) {
        return fail(describe("Pa_StartStream", error));
    }
    started_ = true;
    written_ = 0;
    playedAtFailure_ = -1;
    sinceStart_.start();
    // The stream starts empty: the room it offers now is all it queues.
    const long room = Pa_GetStreamWriteAvailable(stream_);
    capacity_ = room > 0 ? room : qint64(std::ceil(outputLatency_ * format_.sampleRate));
    return true;
}

bool PortAudioOutput::write(const float* frames, qint64 frameCount) {
    if (stream_ == nullptr || !ensureStarted()) {
        return false;
    }
    const qint64 piece = std::max(1, format_.sampleRate * kPieceMs / 1000);
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    for (qint64 done = 0; done < frameCount;) {
        // Handed over only as far as the device has room: PortAudio's ALSA host
        // would wait for ever on a device that takes nothing, and cannot be
        // woken.
        const long room = Pa_GetStreamWriteAvailable(stream_);
        if (room < 0) {
            return fail(describe("Pa_GetStreamWriteAvailable", PaError(room)));
        }
        if (room == 0) {
            const int stallLimitMs = stallLimitMs_;
            if (sinceProgress.hasExpired(stallLimitMs)) {
                return fail(
                    QStringLiteral("the sound device took nothing for %1 ms").arg(stallLimitMs));
            }
            // Until about a quarter of the device's queue has played: it stays
            // well filled.
            QThread::usleep(std::max<unsigned long>(1000, capacity_ * 250000 / format_.sampleRate));
            continue;
        }
        const qint64 count = std::min({qint64(room), piece, frameCount - done});
        const PaError error = Pa_WriteStream(stream_, frames + done * format_.channels,
                                             static_cast<unsigned long>(count));
        // An underflow means the stream ran dry for a moment; what is written
        // now still plays whole.
        if (error != paNoError && error != paOutputUnderflowed) {
            return fail(describe("Pa_WriteStream", error));
        }
        written_ += count;
        done += count;
        sinceProgress.restart();
    }
    return true;
}

bool PortAudioOutput::drain() {
    if (stream_ == nullptr) {
        return false;
    }
    if (!started_) {
        return true;
    }
    // Stopping drops what the device still queues (so PortAudio's ALSA host does
    // through the PulseAudio plugin): silence as long as that queue and a piece
    // more pushes the last sound out first, and is dropped in its place. The
    // write returns once the sound before it has been taken.
    const qint64 tail = capacity_ + std::max(1, format_.sampleRate * kPieceMs / 1000);
    const std::vector<float> silence(std::size_t(tail * format_.channels), 0.0F);
    if (!write(silence.data(), tail)) {
        return false;
    }
    const PaError error = Pa_StopStream(stream_);
    started_ = false;
    if (error != paNoError) {
        return fail(describe("Pa_StopStream", error));
    }
    return true;
}

qint64 PortAudioOutput::framesPlayed() const {
    if (playedAtFailure_ >= 0) {
        return playedAtFailure_;
    }
    if (!started_) {
        return 0;
    }
    // What the clock says has played, but never what the device may still have
    // queued: a device that stalls has played nothing of that.
    const auto byClock =
        qint64((double(sinceStart_.elapsed()) / 1000.0 - outputLatency_) * format_.sampleRate);
    const qint64 byQueue = written_ - capacity_;
    return std::clamp<qint64>(std::min(byClock, byQueue), 0, written_);
}

bool PortAudioOutput::fail(const QString& reason) {
    playedAtFailure_ = -1;
    playedAtFailure_ = framesPlayed();
    error_ = reason;
    qCWarning(lcSound).noquote() << reason;
    return false;
}

void PortAudioOutput::close() {
    if (stream_ != nullptr) {
        if (started_) {
            if (const PaError error = Pa_AbortStream(stream_);
                error != paNoError && error != paStreamIsStopped) {
                logFailure("Pa_AbortStream", error);
            }
        }
        if (const PaError error = Pa_CloseStream(stream_); error != paNoError) {
            logFailure("Pa_CloseStream", error);
        }
        stream_ = nullptr;
    }
    started_ = false;
}

} // namespace tones
