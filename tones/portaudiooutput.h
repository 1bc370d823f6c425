#pragma once
// The real sound output, through PortAudio's blocking write interface.
//
// Every wait on the device is bounded: writes are handed over only as far as the
// device has room, and a device that takes nothing for a while is given up as
// failed. While waiting, an idle hook runs so that the window can repaint.

#include "tones/audiooutput.h"

#include <portaudio.h>

#include <QElapsedTimer>
#include <functional>

namespace tones {

class PortAudioOutput final : public AudioOutput {
public:
    PortAudioOutput();
    ~PortAudioOutput() override;
    PortAudioOutput(const PortAudioOutput&) = delete;
    PortAudioOutput& operator=(const PortAudioOutput&) = delete;

    // Starts the audio system. Costs about a tenth of a second, so it is done once
    // up front; open() does it too when it has not happened yet.
    bool initialize();

    void setIdleHook(std::function<void()> hook) { idle_ = std::move(hook); }
    // How long the device may take nothing before it counts as failed.
    void setStallLimitMs(int ms) { stallLimitMs_ = ms; }

    bool open(const AudioFormat& wanted) override;
    bool isOpen() const override { return stream_ != nullptr; }
    AudioFormat format() const override { return format_; }
    bool write(const float* frames, qint64 frameCount) override;
    bool drain() override;
    qint64 framesPlayed() const override;
    void close() override;

private:
    bool ensureStarted();
    void pause();
    // Notes where playing had got to, and reports the failure.
    bool fail();

    PaStream* stream_ = nullptr;
    bool initialized_ = false;
    bool started_ = false;
    AudioFormat format_;
    double outputLatency_ = 0;
    qint64 framesSinceStart_ = 0;
    long bufferFrames_ = 0;       // the most room the device ever offered
    long roomAtLastWrite_ = 0;    // its room when last written to
    qint64 playedAtFailure_ = -1; // set once the device has failed
    QElapsedTimer sinceStart_;
    int stallLimitMs_ = 2000;
    std::function<void()> idle_;
};

} // namespace tones
