#pragma once
// Dials a command string: one tone file per DTMF symbol, played back to back
// through one output stream, so that every tone sounds whole, in order and with
// exactly the spacing its file carries.

#include "runtime/services.h"
#include "tones/audiooutput.h"

#include <QString>
#include <optional>

namespace tones {

// The file of a DTMF symbol ("1.wav" to "16.wav"), letters in either case; no
// file for any other character.
std::optional<QString> ToneFileName(QChar symbol);

inline constexpr QStringView kToneErrorText = u"Error playing DTMF tone";
inline constexpr QStringView kToneErrorTitle = u"Error";

class TonePlayer {
public:
    TonePlayer(QString toneFolder, AudioOutput& output, rt::MessageBoxService& messages);

    // Plays the whole command and returns when its last tone has sounded. A
    // blank or tab is passed over; any other character that is not a DTMF
    // symbol, and every tone that cannot be played, is reported once with the
    // error message, and dialling goes on with the next symbol.
    void PlayCommandTones(const QString& command);

    // Plays one file to its end; false when it cannot be played.
    bool PlayToneFile(const QString& path);

    const QString& toneFolder() const { return folder_; }

private:
    bool queueToneFile(const QString& path);
    // Waits until the queued tones have played; false when the device failed.
    bool finishQueuedTones();
    void reportFailure();

    QString folder_;
    AudioOutput& output_;
    rt::MessageBoxService& messages_;
};

} // namespace tones
