// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sound output as the tone player sees it: one stream per command, into
// which the tones are written back to back.

#include <QString>
#include <QtGlobal>
#include <functional>

namespace tones {

struct AudioFormat {
    int sampleRate = 0;
    int channels = 0;
    bool operator==(const AudioFormat&) const = default;
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Starts the audio system ahead of the first open(), which does it too when
    // it has not happened yet. False when there is no usable device (yet).
    virtual bool initialize() = 0;

    // The sound server's sink that the next open() plays into, by its name
    // (see tones/outputs.h); empty: the default output.
    virtual void setDevice(const QString& sinkName) = 0;

    // Opens and starts a stream, as close to `wanted` as the device allows; the
    // format actually opened is format(). False when there is no usable device.
    virtual bool open(const AudioFormat& wanted) = 0;
    virtual bool isOpen() const = 0;
    virtual AudioFormat format() const = 0;

    // Queues interleaved float frames in the open format. Returns when they are
    // queued (not yet played); false when the device failed.
    virtual bool write(const float* frames, qint64 frameCount) = 0;

    // Waits until everything queued has been played; the stream stays open and
    // the next write goes on from silence. False when the device failed.
    virtual bool drain() = 0;

    // How many of the frames written since the stream last started (after open()
    // or drain()) have been played out, an estimate that errs towards fewer;
    // after a failure, how many had been when it failed, as near as the
    // device's reports tell.
    virtual qint64 framesPlayed() const = 0;

    // Where playing has got to now, in frames since the stream started; an
    // estimate that errs towards fewer.
    virtual qint64 playPosition() { return framesPlayed(); }

    // Closes the stream, dropping whatever is still queued.
    virtual void close() = 0;

    // Why the last open(), write() or drain() failed.
    virtual QString errorString() const = 0;

    // Asked while write() and drain() wait for the device: once it says stop,
    // they return false at once and stopAsked() is true. That is no failure;
    // the stream stays as it is.
    void setStopCheck(std::function<bool()> check) { stopCheck_ = std::move(check); }
    bool stopAsked() const { return stopCheck_ && stopCheck_(); }

private:
    std::function<bool()> stopCheck_;
};

} // namespace tones
