#include "tones/portaudiooutput.h"

#include <QThread>
#include <algorithm>

namespace tones {
namespace {

// Latency asked of the device: short enough that a command starts at once, long
// enough that a busy moment of the user interface does not starve the stream.
constexpr double kSuggestedLatency = 0.03;
constexpr int kPollMs = 2;

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
    initialized_ = Pa_Initialize() == paNoError;
    return initialized_ && Pa_GetDefaultOutputDevice() != paNoDevice;
}

bool PortAudioOutput::open(const AudioFormat& wanted) {
    close();
    if (!initialize()) {
        return false;
    }
    const PaDeviceIndex device = Pa_GetDefaultOutputDevice();
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    if (info == nullptr || info->maxOutputChannels < 1) {
        return false;
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
    if (Pa_OpenStream(&stream, nullptr, &params, rate, paFramesPerBufferUnspecified, paClipOff,
                      nullptr, nullptr) != paNoError) {
        return false;
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
    if (Pa_StartStream(stream_) != paNoError) {
        return false;
    }
    started_ = true;
    framesSinceStart_ = 0;
    bufferFrames_ = 0;
    roomAtLastWrite_ = 0;
    playedAtFailure_ = -1;
    sinceStart_.start();
    return true;
}

void PortAudioOutput::pause() {
    if (idle_) {
        idle_();
    }
    QThread::msleep(kPollMs);
}

bool PortAudioOutput::write(const float* frames, qint64 frameCount) {
    if (stream_ == nullptr || !ensureStarted()) {
        return false;
    }
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    qint64 done = 0;
    while (done < frameCount) {
        const long room = Pa_GetStreamWriteAvailable(stream_);
        if (room < 0) {
            return fail();
        }
        bufferFrames_ = std::max(bufferFrames_, room);
        if (room == 0) {
            if (sinceProgress.elapsed() > stallLimitMs_) {
                return fail();
            }
            pause();
            continue;
        }
        const qint64 chunk = std::min<qint64>(room, frameCount - done);
        const PaError error = Pa_WriteStream(stream_, frames + done * format_.channels,
                                             static_cast<unsigned long>(chunk));
        // An underflow means the stream ran dry for a moment (the operator had a
        // message box open); what is written now still plays whole.
        if (error != paNoError && error != paOutputUnderflowed) {
            return fail();
        }
        roomAtLastWrite_ = room - long(chunk);
        done += chunk;
        framesSinceStart_ += chunk;
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
    // Wait, with the window alive, until what was queued has nearly played out;
    // then the stop below has little left to wait for.
    const qint64 playoutMs =
        qint64(1000.0 * (double(framesSinceStart_) / format_.sampleRate + outputLatency_));
    while (sinceStart_.elapsed() < playoutMs) {
        // A device that goes away meanwhile is noticed where it went.
        if (Pa_GetStreamWriteAvailable(stream_) < 0) {
            return fail();
        }
        pause();
    }
    const PaError error = Pa_StopStream(stream_);
    started_ = false;
    return error == paNoError;
}

qint64 PortAudioOutput::framesPlayed() const {
    if (playedAtFailure_ >= 0) {
        return playedAtFailure_;
    }
    if (!started_) {
        return 0;
    }
    // What the clock says has played, but never what still lies in the device's
    // buffer at the last write: a device that stalls has played nothing of it.
    const auto byClock =
        qint64((double(sinceStart_.elapsed()) / 1000.0 - outputLatency_) * format_.sampleRate);
    const qint64 byBuffer = framesSinceStart_ - (bufferFrames_ - roomAtLastWrite_);
    return std::clamp<qint64>(std::min(byClock, byBuffer), 0, framesSinceStart_);
}

bool PortAudioOutput::fail() {
    playedAtFailure_ = -1;
    playedAtFailure_ = framesPlayed();
    return false;
}

void PortAudioOutput::close() {
    if (stream_ != nullptr) {
        Pa_AbortStream(stream_);
        Pa_CloseStream(stream_);
        stream_ = nullptr;
    }
    started_ = false;
}

} // namespace tones
