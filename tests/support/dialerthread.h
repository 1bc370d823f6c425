#pragma once
// A Dialer on a thread of its own, as the window runs it. Its signals are taken
// on the dialling thread itself (direct connections), so that the test's
// thread only waits for a dial to end, with no event loop of its own.

#include "tones/dialer.h"

#include <QMutex>
#include <QSemaphore>
#include <QStringList>
#include <QThread>
#include <functional>

namespace testing {

class DialerThread {
public:
    DialerThread(const QString& toneFolder, std::unique_ptr<tones::AudioOutput> output,
                 const QString& lockPath);
    // Ends the thread as the program does.
    ~DialerThread();
    DialerThread(const DialerThread&) = delete;
    DialerThread& operator=(const DialerThread&) = delete;

    tones::Dialer& dialer() { return dialer_; }
    QThread& thread() { return thread_; }

    // Runs Dialer::startAudio() on the dialling thread.
    bool startAudio();
    // Sends a dial to the dialling thread and returns at once.
    void startDial(const QString& command);
    // Waits until the dial sent last has ended; what it signalled.
    QStringList waitForDial();
    // Both; what the dial signalled: "started <command>", "failed <reason>" for
    // each failure, "finished".
    QStringList dial(const QString& command) {
        startDial(command);
        return waitForDial();
    }
    // The reasons of the failures among what a dial signalled.
    static QStringList failures(const QStringList& signalled);
    // Adds to what the dial in progress signalled, in order; from any thread.
    void note(const QString& event);

    // Runs on the dialling thread at each toneFailed(); unset, each failure is
    // acknowledged at once.
    std::function<void(const QString& reason)> onFailure;

private:
    QThread thread_;
    tones::Dialer dialer_;
    QMutex mutex_;
    QStringList signalled_;
    QSemaphore finished_;
};

} // namespace testing
