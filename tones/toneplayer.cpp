#include "tones/toneplayer.h"

#include "tones/tonefile.h"

#include <QDir>

namespace tones {

std::optional<QString> ToneFileName(QChar symbol) {
    static constexpr QStringView kKeys = u"1234567890*#ABCD";
    const qsizetype position = kKeys.indexOf(symbol.toUpper());
    if (position < 0) {
        return std::nullopt;
    }
    return QString::number(position + 1) + QStringLiteral(".wav");
}

TonePlayer::TonePlayer(QString toneFolder, AudioOutput& output, rt::MessageBoxService& messages)
    : folder_(std::move(toneFolder)), output_(output), messages_(messages) {}

bool TonePlayer::queueToneFile(const QString& path) {
    const std::optional<Samples> tone = ReadToneFile(path);
    if (!tone) {
        return false;
    }
    if (!output_.isOpen() && !output_.open(tone->format)) {
        return false;
    }
    const AudioFormat streamFormat = output_.format();
    const Samples fitted =
        tone->format == streamFormat ? *tone : ConvertSamples(*tone, streamFormat);
    if (fitted.frames.empty()) {
        return false;
    }
    if (!output_.write(fitted.frames.data(), fitted.frameCount())) {
        // A device that failed is closed, so that the next tone tries afresh.
        output_.close();
        return false;
    }
    return true;
}

bool TonePlayer::finishQueuedTones() {
    if (output_.isOpen() && !output_.drain()) {
        output_.close();
        return false;
    }
    return true;
}

void TonePlayer::reportFailure() {
    // Let the tones before the failure sound first, so that the message stands
    // where the failure is.
    finishQueuedTones();
    messages_.showWarning(kToneErrorText.toString(), kToneErrorTitle.toString());
}

bool TonePlayer::PlayToneFile(const QString& path) {
    const bool queued = queueToneFile(path);
    const bool played = output_.isOpen() && finishQueuedTones();
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
        if (!name || !queueToneFile(folder.filePath(*name))) {
            reportFailure();
        }
    }
    // A device that fails while the last tones play out is reported once.
    if (!finishQueuedTones()) {
        reportFailure();
    }
    output_.close();
}

} // namespace tones
