#pragma once
// Dials a command string: one tone file per DTMF symbol, played back to back
// through one output stream, so that every tone sounds whole, in order and with
// exactly the spacing its file carries.

#include "runtime/services.h"
#include "tones/audiooutput.h"

#include <QString>
#include <optional>
#include <vector>

namespace tones {

// The file of a DTMF symbol ("1.wav" to "16.wav"), letters in either case; no
// file for any other character.
std::optional<QString> ToneFileName(QChar symbol);

// The symbol whose tone a file of that name holds ("5.wav": "5").
std::optional<QChar> SymbolOfToneFile(const QString& path);

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

    // Plays one tone file to its end; false when it cannot be played or does not
    // sound the symbol its name stands for.
    bool PlayToneFile(const QString& path);

private:
    // Reads the file, checks that it sounds `symbol`, and queues it. Returns how many tones will
    // not go out: 1 when this one cannot be played; when the device fails meanwhile, every queued
    // tone, this one included, that had not sounded yet.
    int queueToneFile(QChar symbol, const QString& path);
    // Waits until the queued tones have played; how many of them did not sound
    // because the device failed.
    int finishQueuedTones();
    // Closes a failed device; how many queued tones had not sounded.
    int dropFailedDevice();
    // One message for each tone that did not go out, once the tones queued
    // before them have sounded.
    void reportFailures(int count);

    QString folder_;
    AudioOutput& output_;
    rt::MessageBoxService& messages_;
    // Where, counted in frames from the stream's start, the sound of each tone
    // queued and not yet played out ends.
    std::vector<qint64> soundEnds_;
    qint64 queuedFrames_ = 0;
};

} // namespace tones
