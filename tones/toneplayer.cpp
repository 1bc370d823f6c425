// SPDX-License-Identifier: GPL-3.0-or-later
#include "tones/toneplayer.h"

#include "tones/soundfile.h"
#include "tones/soundlog.h"
#include "tones/tonecheck.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <cmath>

namespace tones {
namespace {

// Stopping at a silence keeps this far from the tones either side of it (more
// than the device's reporting step), and looks where playing has got to this
// often.
constexpr int kStopMarginMs = 45;
constexpr int kStopStepMs = 5;
// A device that plays nothing more for this long (while the player looks) will
// not reach the silence or the end of the tail.
constexpr int kStillLimitMs = 2000;
// Where playing has got to is looked at this often while the transmitter waits
// for the end of the tail, and the device is kept this far beyond it meanwhile,
// so that it does not run dry while it is looked at.
constexpr int kTailStepMs = 2;
constexpr int kTailMarginMs = 40;
// The device reports where playing has got to a step at a time (about 40 ms
// with PulseAudio and with PipeWire): in between, it is taken to play on in
// real time, for no longer than a step.
constexpr int kReportStepMs = 45;
// Counted by the device's reports, the lead and the tail come out of the sink
// a few ms off (measured against a sink's monitor, bench/ptt_timing.sh: the
// lead 8 ms short to 6 ms long, the tail 3 ms short to 3 ms long, PulseAudio
// and PipeWire), and the recording that tells is itself up to ~10 ms early:
// each is given this much more, so that neither is ever short.
constexpr int kLeadExtraMs = 20;
constexpr int kTailExtraMs = 15;

// The frame after the last one that is not silence: a tone whose trailing
// silence is cut off has still gone out whole.
qint64 soundEnd(const Samples& tone) {
    constexpr float kSilence = 1.0F / 1024; // -60 dBFS
    const auto last = std::find_if(tone.frames.rbegin(), tone.frames.rend(),
                                   [](float s) { return std::fabs(s) > kSilence; });
    const auto samples = qint64(tone.frames.rend() - last);
    return (samples + tone.format.channels - 1) / tone.format.channels;
}

TonePlayer::NotSent symbolFailed(QChar symbol, qsizetype position, const QString& why) {
    return {position, QStringLiteral("'%1': %2").arg(symbol, why)};
}

} // namespace

TonePlayer::TonePlayer(QString toneFolder, AudioOutput& output)
    : folder_(std::move(toneFolder)), output_(output) {}

TonePlayer::NotSentList TonePlayer::queueTone(QChar symbol, qsizetype position, const DtmfKey& key,
                                              const QString& path) {
    QString error;
    const std::optional<Samples> tone = readSoundFile(path, &error);
    if (!tone) {
        return {symbolFailed(symbol, position, error)};
    }
    // A file that does not sound its key's pair is not played: the spacecraft
    // would take another command than the one shown.
    if (!carriesDtmfPair(*tone, key)) {
        return {symbolFailed(symbol, position,
                             QStringLiteral("%1: does not sound the pair of %2 (%3 Hz, %4 Hz)")
                                 .arg(path, QChar(key.symbol))
                                 .arg(key.rowHz())
                                 .arg(key.columnHz()))};
    }
    // Released after a failure, the transmitter is keyed again once there is a
    // tone to send.
    if (keying_ != nullptr && !keyed_) {
        if (const QString why = keying_->key(); !why.isEmpty()) {
            return {symbolFailed(symbol, position, why)};
        }
        keyed_ = true;
        keyedAt_.start();
    }
    if (!output_.isOpen() && !output_.open(tone->format)) {
        return {symbolFailed(symbol, position, output_.errorString())};
    }
    const AudioFormat streamFormat = output_.format();
    const Samples fitted =
        tone->format == streamFormat ? *tone : convertSamples(*tone, streamFormat, &error);
    if (fitted.frames.empty()) {
        return {symbolFailed(symbol, position, path + QStringLiteral(": ") + error)};
    }
    // The lead, after keying: silence ahead of the tone, so that the device's
    // clock counts it however long opening the stream took.
    if (keying_ != nullptr && keyedAt_.isValid()) {
        const qint64 leadNs =
            qint64(keying_->leadMs + kLeadExtraMs) * 1000000 - keyedAt_.nsecsElapsed();
        keyedAt_.invalidate();
        if (leadNs > 0 && !queueSilence(leadNs * streamFormat.sampleRate / 1000000000)) {
            if (output_.stopAsked()) {
                return {};
            }
            dropFailedDevice();
            return {symbolFailed(symbol, position,
                                 QStringLiteral("did not sound: ") + output_.errorString())};
        }
    }
    // Writing is paced by the device, so a device that fails during the write
    // may already have played this tone's sound.
    const qint64 sound = soundEnd(fitted);
    queued_.push_back({symbol, position, queuedFrames_, queuedFrames_ + sound});
    queuedFrames_ += fitted.frameCount();
    if (!output_.write(fitted.frames.data(), fitted.frameCount())) {
        if (!output_.stopAsked()) {
            return dropFailedDevice();
        }
        // Asked to stop while waiting for room: nothing of it was handed over.
        queued_.pop_back();
        queuedFrames_ -= fitted.frameCount();
    }
    return {};
}

qsizetype TonePlayer::stopAtSilence() {
    const int rate = output_.format().sampleRate;
    // The position is an estimate that errs towards fewer frames played, by up
    // to the device's reporting step: the stop keeps this far from a tone.
    const qint64 margin = rate * kStopMarginMs / 1000;
    qsizetype firstDropped = -1;
    qint64 at = 0;
    qint64 lastAt = -1;
    QElapsedTimer reported; // since `at` last moved on
    int stillMs = 0;
    while (output_.isOpen()) {
        at = output_.playPosition();
        if (at != lastAt) {
            reported.start();
        }
        // The first queued tone whose sound has not ended yet.
        const auto next = std::find_if(queued_.begin(), queued_.end(),
                                       [at](const QueuedTone& tone) { return tone.soundEnd > at; });
        if (next == queued_.end()) {
            break; // only silence is left
        }
        if (at + margin <= next->start) {
            firstDropped = next->position; // in the silence before it
            break;
        }
        // A device that plays nothing more will not reach the silence.
        stillMs = at == lastAt ? stillMs + kStopStepMs : 0;
        lastAt = at;
        if (stillMs > kStillLimitMs) {
            firstDropped = next->position;
            break;
        }
        QThread::msleep(kStopStepMs);
    }
    // The transmitter stays keyed for the tail after the last tone that
    // sounded; playing has got on since the device's last report.
    qint64 tailLeft = 0;
    if (keyed_ && reported.isValid()) {
        const qint64 now = at + std::min<qint64>(reported.elapsed(), kReportStepMs) * rate / 1000;
        for (const QueuedTone& tone : queued_) {
            if (tone.soundEnd <= at) {
                tailLeft =
                    tone.soundEnd + qint64(rate) * (keying_->tailMs + kTailExtraMs) / 1000 - now;
            }
        }
    }
    QElapsedTimer closing;
    closing.start();
    // What is still queued is dropped: silence, and tones not begun.
    output_.close();
    queued_.clear();
    queuedFrames_ = 0;
    if (const qint64 leftMs = tailLeft * 1000 / rate - closing.elapsed(); leftMs > 0) {
        QThread::msleep(std::uint64_t(leftMs));
    }
    release();
    return firstDropped;
}

TonePlayer::NotSentList TonePlayer::dropFailedDevice() {
    const qint64 played = output_.framesPlayed();
    const QString why = QStringLiteral("did not sound: ") + output_.errorString();
    NotSentList reasons;
    for (const QueuedTone& tone : queued_) {
        if (tone.soundEnd > played && tone.start < played) {
            qCDebug(lcSound) << "device failed" << (tone.soundEnd - played)
                             << "frames before the end of" << tone.symbol << "of"
                             << (tone.soundEnd - tone.start);
        }
        if (tone.soundEnd > played) {
            reasons << symbolFailed(tone.symbol, tone.position, why);
        }
    }
    // Closed, so that the next tone tries the device afresh.
    output_.close();
    queued_.clear();
    queuedFrames_ = 0;
    return reasons;
}

TonePlayer::NotSentList TonePlayer::finishQueuedTones() {
    if (queued_.empty()) {
        release(); // nothing is to sound
    }
    if (releaseAfterTail()) {
        // The tones and the tail have played: only silence is dropped, and the
        // next tone, after a failure's message, starts a stream afresh.
        output_.close();
    } else if (output_.isOpen() && !output_.drain()) {
        // Asked to stop, the queued tones are left to stopAtSilence().
        return output_.stopAsked() ? NotSentList{} : dropFailedDevice();
    }
    // A drained stream starts again from frame 0.
    queued_.clear();
    queuedFrames_ = 0;
    release();
    return {};
}

bool TonePlayer::releaseAfterTail() {
    if (!keyed_ || queued_.empty() || !output_.isOpen()) {
        return false;
    }
    const qint64 rate = output_.format().sampleRate;
    const qint64 until = queued_.back().soundEnd + rate * (keying_->tailMs + kTailExtraMs) / 1000;
    // The tail may be longer than the last file's silence.
    const qint64 ahead = until + rate * kTailMarginMs / 1000;
    if (ahead > queuedFrames_ && !queueSilence(ahead - queuedFrames_)) {
        return false;
    }
    qint64 reported = -1;
    QElapsedTimer sinceReport;
    int stillMs = 0;
    for (;;) {
        if (output_.stopAsked()) {
            return false; // left to stopAtSilence()
        }
        const qint64 at = output_.playPosition();
        if (at != reported) {
            reported = at;
            sinceReport.start();
            stillMs = 0;
        } else if ((stillMs += kTailStepMs) > kStillLimitMs) {
            return false; // the drain finds the device failed
        }
        const qint64 playedOn = std::min<qint64>(sinceReport.elapsed(), kReportStepMs);
        if (at + playedOn * rate / 1000 >= until) {
            break;
        }
        QThread::msleep(kTailStepMs);
    }
    release();
    return true;
}

bool TonePlayer::queueSilence(qint64 frames) {
    const std::vector<float> silence(std::size_t(frames * output_.format().channels));
    if (!output_.write(silence.data(), frames)) {
        return false;
    }
    queuedFrames_ += frames;
    return true;
}

void TonePlayer::release() {
    keyedAt_.invalidate();
    if (keyed_) {
        keyed_ = false;
        keying_->release();
    }
}

void TonePlayer::reportFailures(NotSentList reasons, const FailureHandler& onFailure) {
    if (reasons.isEmpty()) {
        return;
    }
    // Let the tones before the failure sound first, so that the reports stand
    // where the failure is.
    reasons += finishQueuedTones();
    // Released while the operator reads the messages (unless a stop leaves
    // tones to sound); keyed again for the next tone.
    if (queued_.empty()) {
        release();
    }
    for (const NotSent& failed : reasons) {
        qCWarning(lcSound).noquote() << "not sent:" << failed.reason;
        if (onFailure) {
            onFailure(failed.reason, failed.position);
        }
    }
}

void TonePlayer::openAhead(const QString& command) {
    const auto first = std::find_if(command.begin(), command.end(),
                                    [](QChar symbol) { return dtmfKey(symbol.unicode()); });
    if (first == command.end() || output_.isOpen()) {
        return;
    }
    const QString file = QString::fromStdString(toneFileName(*dtmfKey(first->unicode())));
    if (const std::optional<AudioFormat> format = soundFileFormat(QDir(folder_).filePath(file))) {
        output_.open(*format);
    }
}

bool TonePlayer::playToneFile(const QString& path) {
    const std::optional<DtmfKey> key = dtmfKeyOfFileName(QFileInfo(path).fileName().toStdString());
    const bool queued = key && queueTone(QChar(key->symbol), 0, *key, path).isEmpty();
    const bool played = output_.isOpen() && finishQueuedTones().isEmpty();
    output_.close();
    return queued && played;
}

qsizetype TonePlayer::play(const QString& command, const FailureHandler& onFailure,
                           const StopCheck& stop, const Keying* keying) {
    const QDir folder(folder_);
    keying_ = keying;
    keyed_ = keying != nullptr;
    if (keyed_) {
        keyedAt_.start();
    }
    // The device is kept well ahead of what it plays: a stop is looked for
    // while waiting for it, too.
    output_.setStopCheck(stop);
    qsizetype position = 0; // the first symbol not queued
    for (; position < command.size(); ++position) {
        const QChar symbol = command.at(position);
        if (symbol == u' ' || symbol == u'\t') {
            continue;
        }
        if (output_.stopAsked()) {
            break;
        }
        const std::optional<DtmfKey> key = dtmfKey(symbol.unicode());
        const std::size_t queuedBefore = queued_.size();
        NotSentList reasons =
            key ? queueTone(symbol, position, *key,
                            folder.filePath(QString::fromStdString(toneFileName(*key))))
                : NotSentList{symbolFailed(symbol, position, QStringLiteral("not a DTMF symbol"))};
        if (key && reasons.isEmpty() && queued_.size() == queuedBefore) {
            break; // stopped while waiting to queue it
        }
        reportFailures(std::move(reasons), onFailure);
    }
    if (!output_.stopAsked()) {
        reportFailures(finishQueuedTones(), onFailure);
    }
    qsizetype stoppedAt = -1;
    if (output_.stopAsked()) {
        // Stopped at the first tone dropped, else at the first symbol not
        // queued; when every symbol has sounded, the command went out whole.
        const qsizetype dropped = stopAtSilence();
        stoppedAt = dropped >= 0 ? dropped : (position < command.size() ? position : -1);
    }
    output_.setStopCheck({});
    output_.close();
    release();
    keying_ = nullptr;
    return stoppedAt;
}

} // namespace tones
