// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real sound output, through PortAudio's blocking write interface.
//
// The device is kept about 1.5 s ahead, so that a dialer stalled for a second
// does not let it run dry, and each tone is handed over whole with
// Pa_WriteStream once the device has room for it: should the device run dry
// all the same, it does so between two tones, never inside one. Nothing is
// handed over beyond the device's room: a blocking write on a device that
// takes nothing (a suspended sink) never returns with PortAudio's ALSA host,
// and cannot be woken. While the device has no room the output sleeps; a
// device that makes no progress while the dialer itself runs for the stall
// limit is given up; time the dialer spent stopped is not counted against it.

#include "tones/audiooutput.h"

#include <atomic>
#include <chrono>

namespace tones {

class PortAudioOutput final : public AudioOutput {
public:
    PortAudioOutput();
    ~PortAudioOutput() override;
    PortAudioOutput(const PortAudioOutput&) = delete;
    PortAudioOutput& operator=(const PortAudioOutput&) = delete;

    // Starts PortAudio. Costs about a tenth of a second, so it is done once up
    // front; when there was no device at the last look, it looks again.
    bool initialize() override;

    // How long the device may take nothing before it counts as failed; 2 s
    // unless set. May be set from any thread.
    void setStallLimitMs(int ms) { stallLimitMs_ = ms; }

    // A sink is played into through ALSA's pulse plugin ("pulse:NAME"), which
    // reaches PulseAudio and PipeWire's pulse server alike.
    void setDevice(const QString& sinkName) override { sinkName_ = sinkName; }
    bool open(const AudioFormat& wanted) override;
    bool isOpen() const override { return stream_ != nullptr; }
    AudioFormat format() const override { return format_; }
    bool write(const float* frames, qint64 frameCount) override;
    bool drain() override;
    qint64 framesPlayed() const override;
    qint64 playPosition() override;
    void close() override;
    QString errorString() const override { return error_; }

private:
    bool ensureStarted();
    // The device's room, or a negative PortAudio error; notes how much is queued.
    long measureRoom();
    // Sleeps for one look at the device, counting the wait unless the device
    // `progressed`; fails ("the sound device <doing> nothing for ...") once
    // it has made no progress for the stall limit.
    bool pollAgain(qint64& waitedMs, bool progressed, const char* doing);
    // Notes the reason and where playing had got to, logs it and reports the
    // failure.
    bool fail(const QString& reason);

    void* stream_ = nullptr; // the PaStream
    bool initialized_ = false;
    bool started_ = false;
    AudioFormat format_;
    double outputLatency_ = 0;
    qint64 capacity_ = 0;         // frames the device queues: its room as the stream started
    qint64 written_ = 0;          // frames handed over since the stream started
    qint64 queued_ = 0;           // frames the device still held at the last look
    qint64 playedAtFailure_ = -1; // set once the device has failed
    std::chrono::steady_clock::time_point reportedAt_; // the device last reported progress
    std::chrono::steady_clock::time_point lastLook_;   // the last answer from the device
    std::atomic<int> stallLimitMs_{2000};
    QString sinkName_; // empty: the default output
    QString error_;
};

} // namespace tones
