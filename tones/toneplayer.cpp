#include "tones/toneplayer.h"

#include "tones/tonecheck.h"
#include "tones/tonefile.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace tones {

namespace {

// The symbols in the order of their files' numbers.
constexpr QStringView kKeys = u"1234567890*#ABCD";

} // namespace

std::optional<QString> ToneFileName(QChar symbol) {
    const qsizetype position = kKeys.indexOf(symbol.toUpper());
    if (position < 0) {
        return std::nullopt;
    }
    return QString::number(position + 1) + QStringLiteral(".wav");
}

std::optional<QChar> SymbolOfToneFile(const QString& path) {
    const QFileInfo file(path);
    bool number = false;
    const int n = file.completeBaseName().toInt(&number);
    if (!number || n < 1 || n > kKeys.size() || file.suffix() != u"wav") {
        return std::nullopt;
    }
    return kKeys.at(n - 1);
}

TonePlayer::TonePlayer(QString toneFolder, AudioOutput& output, rt::MessageBoxService& messages)
    : folder_(std::move(toneFolder)), output_(output), messages_(messages) {}

namespace {

// The frame after the last one that is not silence: a tone whose trailing
// silence is cut off has still gone out whole.
qint64 soundEnd(const Samples& tone) {
    constexpr float kSilence = 1.0F / 1024; // -60 dBFS
    const auto last = std::find_if(tone.frames.rbegin(), tone.frames.rend(),
                                   [](float s) { return std::fabs(s) > kSilence; });
    const auto samples = qint64(tone.frames.rend() - last);
    return (samples + tone.format.channels - 1) / tone.format.channels;
}

} // namespace

int TonePlayer::queueToneFile(QChar symbol, const QString& path) {
    // A file that does not sound its symbol's pair is not played: the spacecraft
    // would take another command than the one shown.
    const std::optional<Samples> tone = ReadToneFile(path);
    if (!tone || !CarriesDtmfPair(*tone, symbol)) {
        return 1;
    }
    if (!output_.isOpen() && !output_.open(tone->format)) {
        return 1;
    }
    const AudioFormat streamFormat = output_.format();
    const Samples fitted =
        tone->format == streamFormat ? *tone : ConvertSamples(*tone, streamFormat);
    if (fitted.frames.empty()) {
        return 1;
    }
    // Writing is paced by the device, so a device that fails during the write
    // may already have played this tone's sound.
    soundEnds_.push_back(queuedFrames_ + soundEnd(fitted));
    queuedFrames_ += fitted.frameCount();
    if (!output_.write(fitted.frames.data(), fitted.frameCount())) {
        return dropFailedDevice();
    }
    return 0;
}

int TonePlayer::dropFailedDevice() {
    const qint64 played = output_.framesPlayed();
    const auto lost = std::count_if(soundEnds_.begin(), soundEnds_.end(),
                                    [played](qint64 end) { return end > played; });
    // Closed, so that the next tone tries the device afresh.
    output_.close();
    soundEnds_.clear();
    queuedFrames_ = 0;
    return int(lost);
}

int TonePlayer::finishQueuedTones() {
    if (output_.isOpen() && !output_.drain()) {
        return dropFailedDevice();
    }
    // A drained stream starts again from frame 0.
    soundEnds_.clear();
    queuedFrames_ = 0;
    return 0;
}

void TonePlayer::reportFailures(int count) {
    if (count == 0) {
        return;
    }
    // Let the tones before the failure sound first, so that the messages stand
    // where the failure is.
    count += finishQueuedTones();
    for (int i = 0; i < count; ++i) {
        messages_.showWarning(kToneErrorText.toString(), kToneErrorTitle.toString());
    }
}

bool TonePlayer::PlayToneFile(const QString& path) {
    const std::optional<QChar> symbol = SymbolOfToneFile(path);
    const bool queued = symbol && queueToneFile(*symbol, path) == 0;
    const bool played = output_.isOpen() && finishQueuedTones() == 0;
    output_.close();
    return queued && played;
}

void TonePlayer::PlayCommandTones(const QString& command) {
    const QDir folder(folder_);
    for (const QChar symbol : command) {
        if (symbol == u' ' || symbol == u'\t') {
            continue;
        }
        const std::optional<QString> name = ToneFileName(symbol);
        reportFailures(name ? queueToneFile(symbol, folder.filePath(*name)) : 1);
    }
    reportFailures(finishQueuedTones());
    output_.close();
}

} // namespace tones
