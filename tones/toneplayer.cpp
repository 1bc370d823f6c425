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
    if (!output_.isOpen() && !output_.open(tone->format)) {
        return {symbolFailed(symbol, position, output_.errorString())};
    }
    const AudioFormat streamFormat = output_.format();
    const Samples fitted =
        tone->format == streamFormat ? *tone : convertSamples(*tone, streamFormat, &error);
    if (fitted.frames.empty()) {
        return {symbolFailed(symbol, position, path + QStringLiteral(": ") + error)};
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
    qint64 lastAt = -1;
    int stillMs = 0;
    while (output_.isOpen()) {
        const qint64 at = output_.playPosition();
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
        if (stillMs > 2000) {
            firstDropped = next->position;
            break;
        }
        QThread::msleep(kStopStepMs);
    }
    // What is still queued is dropped: silence, and tones not begun.
    output_.close();
    queued_.clear();
    queuedFrames_ = 0;
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
    if (output_.isOpen() && !output_.drain()) {
        // Asked to stop, the queued tones are left to stopAtSilence().
        return output_.stopAsked() ? NotSentList{} : dropFailedDevice();
    }
    // A drained stream starts again from frame 0.
    queued_.clear();
    queuedFrames_ = 0;
    return {};
}

void TonePlayer::reportFailures(NotSentList reasons, const FailureHandler& onFailure) {
    if (reasons.isEmpty()) {
        return;
    }
    // Let the tones before the failure sound first, so that the reports stand
    // where the failure is.
    reasons += finishQueuedTones();
    for (const NotSent& failed : reasons) {
        qCWarning(lcSound).noquote() << "not sent:" << failed.reason;
        if (onFailure) {
            onFailure(failed.reason, failed.position);
        }
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
                           const StopCheck& stop) {
    const QDir folder(folder_);
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
    return stoppedAt;
}

} // namespace tones
