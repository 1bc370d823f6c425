#pragma once
// A stand-in for the sound output, for tests of logic.

#include "tones/audiooutput.h"

#include <functional>
#include <vector>

namespace testing {

// Records every write as one block of frames.
class RecordingOutput : public tones::AudioOutput {
public:
    bool deviceAvailable = true;
    int failWriteNumber = -1;        // the write (counted from 0) that fails
    qint64 playedAtFailure = -1;     // what had played when it failed; -1: all
    tones::AudioFormat deviceRate{}; // a rate the device insists on, if set
    // Told of each write and drain ("write", "drain") as it begins.
    std::function<void(const QString& call)> onCall;
    std::vector<std::vector<float>> blocks;
    int opens = 0;
    int drains = 0;
    int writes = 0;

    bool initialize() override { return deviceAvailable; }
    bool open(const tones::AudioFormat& wanted) override {
        if (!deviceAvailable) {
            return false;
        }
        ++opens;
        format_ = wanted;
        if (deviceRate.sampleRate != 0) {
            format_ = deviceRate;
        }
        open_ = true;
        return true;
    }
    bool isOpen() const override { return open_; }
    tones::AudioFormat format() const override { return format_; }
    bool write(const float* frames, qint64 count) override {
        if (onCall) {
            onCall(QStringLiteral("write"));
        }
        if (writes++ == failWriteNumber) {
            return false;
        }
        written_ += count;
        blocks.emplace_back(frames, frames + count * format_.channels);
        return true;
    }
    bool drain() override {
        if (onCall) {
            onCall(QStringLiteral("drain"));
        }
        ++drains;
        written_ = 0;
        return true;
    }
    qint64 framesPlayed() const override {
        return playedAtFailure >= 0 ? playedAtFailure : written_;
    }
    void close() override { open_ = false; }
    QString errorString() const override {
        return deviceAvailable ? QStringLiteral("device failed") : QStringLiteral("no device");
    }

private:
    tones::AudioFormat format_;
    bool open_ = false;
    qint64 written_ = 0;
};

} // namespace testing
