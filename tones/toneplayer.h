// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dials a command string: one tone file per DTMF symbol, played back to back
// through one output stream, so that every tone sounds whole, in order and with
// exactly the spacing its file carries.

#include "tones/audiooutput.h"
#include "tones/dtmf.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace tones {

// What the operator is shown for each symbol that did not go out.
inline constexpr QStringView kToneErrorText = u"Error playing DTMF tone";
inline constexpr QStringView kToneErrorTitle = u"Error";

class TonePlayer {
public:
    // Told why one symbol did not go out; dialling goes on when it returns.
    using FailureHandler = std::function<void(const QString& reason, qsizetype position)>;

    // A symbol that did not go out: where it stands in the command, and why.
    struct NotSent {
        qsizetype position;
        QString reason;
    };
    using NotSentList = QList<NotSent>;

    TonePlayer(QString toneFolder, AudioOutput& output);

    // Asked before each symbol whether dialling is to stop there.
    using StopCheck = std::function<bool()>;

    // The transmitter keyed around the tones: `key` keys it (empty; else why
    // it could not be keyed), `release` releases it.
    struct Keying {
        std::function<QString()> key;
        std::function<void()> release;
        int leadMs = 0; // keyed this long before the first tone's sound starts
        int tailMs = 0; // released this long after the last tone's sound has ended
    };

    // Plays the whole command and returns when its last tone has sounded. A
    // blank or tab is passed over; for any other character that is not a DTMF
    // symbol, and every tone that cannot be played, `onFailure` is called once,
    // after the tones before it have sounded, and dialling goes on with the
    // next symbol. Lower-case a to d play as A to D. When `stop` says so before
    // a symbol, the tones queued so far sound whole and nothing more is sent:
    // the position of that symbol is returned; else -1.
    //
    // With `keying`, the transmitter has just been keyed as playing starts:
    // the first tone sounds `leadMs` after that, the lead counted by the
    // device's clock (silence queued ahead of the tone). It is released
    // `tailMs` after the last tone's sound has come out of the device, and so
    // before each failure is reported (keyed again, with the lead, before the
    // next tone) and after a stop; a symbol for which it cannot be keyed again
    // is a failure. It is released when play() returns.
    qsizetype play(const QString& command, const FailureHandler& onFailure,
                   const StopCheck& stop = {}, const Keying* keying = nullptr);

    // Opens the output for the command's first tone, writing nothing yet, so
    // that the transmitter can be keyed after it: the time a stream takes to
    // open (a tenth of a second with PipeWire) is not taken from the lead.
    // Nothing happens when that tone's file or the output cannot be opened;
    // play() finds out why.
    void openAhead(const QString& command);

    // Plays one tone file ("1.wav" to "16.wav") to its end in a stream of its
    // own; false when it cannot be played or does not sound the key its name
    // stands for.
    bool playToneFile(const QString& path);

private:
    // Reads the file, checks that it sounds `key`, and queues it. Why tones
    // will not go out: this one, when it cannot be played; when the device
    // fails meanwhile, every queued tone, this one included, that had not
    // sounded yet.
    NotSentList queueTone(QChar symbol, qsizetype position, const DtmfKey& key,
                          const QString& path);
    // Lets the queued tones play until playing is in a silence between two of
    // them, and drops the rest there: no tone is cut. The command position of
    // the first tone dropped, or -1 when every queued tone has sounded.
    qsizetype stopAtSilence();
    // Waits until the queued tones have played, releasing the transmitter in
    // time; why those that did not sound because the device failed did not.
    NotSentList finishQueuedTones();
    // Keeps the device playing silence until the last queued tone's sound and
    // the tail have come out, and releases the transmitter there. False, and
    // the transmitter still keyed, when nothing keyed was queued, the device
    // failed or stood still, or a stop was asked.
    bool releaseAfterTail();
    void release();
    // Queues `frames` of silence; false when the device failed or a stop was
    // asked while waiting for room.
    bool queueSilence(qint64 frames);
    // Closes a failed device; why the queued tones that had not sounded did not.
    NotSentList dropFailedDevice();
    // Tells `onFailure` of each tone that did not go out, once the tones
    // queued before them have sounded.
    void reportFailures(NotSentList reasons, const FailureHandler& onFailure);

    struct QueuedTone {
        QChar symbol;
        qsizetype position; // in the command
        qint64 start;       // its first frame, counted from the stream's start
        qint64 soundEnd;    // the frame after its last sound
    };

    QString folder_;
    AudioOutput& output_;
    // The tones queued and not yet played out.
    std::vector<QueuedTone> queued_;
    qint64 queuedFrames_ = 0;
    // The transmitter's keying while play() runs (none: nothing is keyed).
    const Keying* keying_ = nullptr;
    bool keyed_ = false;
    // Since the transmitter was keyed, until the lead is queued.
    QElapsedTimer keyedAt_;
};

} // namespace tones
