// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dials commands on a thread of its own, one dial at a time for each user, and
// tells the window by signals how each dial goes.
//
// The owner moves the Dialer to a QThread, starts the thread, and sends it work
// through queued calls of its slots (a connection from the window's thread, or
// QMetaObject::invokeMethod). The window shows a message for each toneFailed()
// and calls acknowledgeFailure() directly, from its own thread, once the
// operator has pressed OK; the dial waits until then.
//
// Ending it: prepareForShutdown(), then thread.quit() and thread.wait(), then
// destroy the Dialer (from any thread: it no longer runs). A dial in progress
// ends first; closing the program while nothing dials ends the thread at once.

#include "tones/audiooutput.h"
#include "tones/diallock.h"
#include "tones/station.h"
#include "tones/toneplayer.h"
#include "tones/transmitter.h"
#include "tones/uplinklog.h"

#include <QMutex>
#include <QObject>
#include <QWaitCondition>
#include <atomic>
#include <memory>

namespace tones {

class Dialer final : public QObject {
    Q_OBJECT
public:
    // Plays the tone files of `toneFolder` through `output` (none: the sound
    // device, through PortAudio), one dial at a time for all dialers that share
    // the lock file `lockPath` (empty: the user's own, see DialLock).
    explicit Dialer(QString toneFolder, std::unique_ptr<AudioOutput> output = nullptr,
                    const QString& lockPath = QString(), QObject* parent = nullptr);
    ~Dialer() override;

    // The operator has seen the last toneFailed(): the dial goes on. Safe from
    // any thread; call it directly, not queued to the Dialer's own thread,
    // which is waiting for it. Nothing happens when no failure has been
    // reported since the last acknowledgement.
    void acknowledgeFailure();

    // From now on no failure waits to be acknowledged, one waiting now
    // included: the dial in progress plays the rest of its command and ends.
    // Safe from any thread.
    void prepareForShutdown();

    // Stops the dial in progress at the next silence between tones: no tone is
    // cut, the rest of the command is not sent, and dialStopped() says what
    // went out. A dial still waiting for its turn gives up and sends nothing.
    // Safe from any thread; nothing happens when no dial runs.
    void requestStop();

    // The output and keying that the next dial uses (a dial in progress keeps
    // its own). Safe from any thread.
    void setStation(const StationSettings& station);
    StationSettings station() const;

    // The uplink log every dial is written to (empty: the default one, see
    // UplinkLog). Safe from any thread.
    void setLogFile(const QString& path);

    // The transmitter the dials key (the one through Hamlib unless set); only
    // while nothing dials.
    void setTransmitter(std::unique_ptr<Transmitter> transmitter);

public slots:
    // Starts the audio system, once, ahead of the first dial (a tenth of a
    // second that the window need not wait for). False when there is no
    // sound device yet; a dial looks again.
    bool startAudio();

    // Waits until no other dial of this user runs, keys the transmitter (unless
    // its PTT type is NONE), plays the command, its first tone the lead after
    // the keying, and returns when it has gone out: dialStarted(), a
    // toneFailed() for each symbol that did not go out (each waiting for
    // acknowledgeFailure(), with the transmitter released), and dialFinished().
    // The transmitter is released the tail after the last tone's sound, and on
    // every way out of a dial.
    // `name` (the catalogue's, null for free text) and `from` ("window" or
    // "command-line") are for the uplink log.
    void dial(const QString& command, const QString& name = QString(),
              const QString& from = QStringLiteral("window"));

    // Keys the transmitter of `ptt` for one second, and nothing sounds: a
    // test of the keying, in turn with the dials (a stop cuts it short).
    // keyingTested() tells how it went.
    void testKeying(const tones::PttSettings& ptt);

signals:
    // The command starts now: the one-dial lock is held, the transmitter
    // keyed, no tone sent yet.
    void dialStarted(const QString& command);
    // A symbol did not go out, and why; the tones before it have sounded.
    void toneFailed(const QString& reason);
    // Nothing of the command was sent, and why (no lock can be had, the
    // chosen output is not there, the transmitter cannot be keyed).
    void dialRefused(const QString& reason);
    // The dial was stopped: `sent` of the command's `symbols` went out, and the
    // rest of the command from `notSent` on was not sent.
    void dialStopped(int sent, int symbols, const QString& notSent);
    // The command has gone out, as far as it could (after any of the above).
    void dialFinished();
    // The uplink log cannot be written, and why; the dial goes on. Said once,
    // at the first failure.
    void logFailed(const QString& reason);
    // testKeying() has keyed and released the transmitter (`failure` empty),
    // or why it could not.
    void keyingTested(const QString& failure);

private:
    void reportFailure(const QString& reason);
    // Writes a line of the uplink log; says so once when it cannot.
    void writeLog(const QString& error);
    // Points the output at the sink that `wanted` (the station's output) names,
    // or at the default output when it names none. Why nothing may be sent
    // when that sink cannot be found; empty when it can.
    QString chooseOutput(const QString& wanted);
    // Keys the open transmitter; why it could not be keyed.
    QString keyTransmitter();
    void releaseTransmitter();
    // Waits `ms`, or until a stop is asked.
    void waitUnlessStopped(int ms);

    std::unique_ptr<AudioOutput> output_;
    std::unique_ptr<Transmitter> transmitter_;
    TonePlayer player_;
    DialLock lock_;
    mutable QMutex mutex_;
    StationSettings station_;
    QString logFile_;
    bool logFailureSaid_ = false;
    QWaitCondition acknowledged_;
    bool awaitingAcknowledgement_ = false;
    bool shuttingDown_ = false;
    std::atomic<bool> dialling_ = false;
    bool keyed_ = false; // the transmitter, on the dialer's thread
    std::atomic<bool> stopRequested_ = false;
};

} // namespace tones
