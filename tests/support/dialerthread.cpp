#include "support/dialerthread.h"

namespace testing {

DialerThread::DialerThread(const QString& toneFolder, std::unique_ptr<tones::AudioOutput> output,
                           const QString& lockPath)
    : dialer_(toneFolder, std::move(output), lockPath) {
    using tones::Dialer;
    QObject::connect(
        &dialer_, &Dialer::dialStarted, &dialer_,
        [this](const QString& command) { note("started " + command); }, Qt::DirectConnection);
    QObject::connect(
        &dialer_, &Dialer::toneFailed, &dialer_,
        [this](const QString& reason) {
            note("failed " + reason);
            if (onFailure) {
                onFailure(reason);
            } else {
                dialer_.acknowledgeFailure();
            }
        },
        Qt::DirectConnection);
    QObject::connect(
        &dialer_, &Dialer::dialFinished, &dialer_,
        [this] {
            note("finished");
            finished_.release();
        },
        Qt::DirectConnection);
    dialer_.moveToThread(&thread_);
    thread_.start();
}

DialerThread::~DialerThread() {
    dialer_.prepareForShutdown();
    thread_.quit();
    thread_.wait();
}

bool DialerThread::startAudio() {
    bool started = false;
    QMetaObject::invokeMethod(&dialer_, &tones::Dialer::startAudio, Qt::BlockingQueuedConnection,
                              &started);
    return started;
}

void DialerThread::startDial(const QString& command) {
    QMetaObject::invokeMethod(&dialer_, [this, command] { dialer_.dial(command); });
}

QStringList DialerThread::waitForDial() {
    finished_.acquire();
    const QMutexLocker locker(&mutex_);
    return std::exchange(signalled_, {});
}

void DialerThread::note(const QString& event) {
    const QMutexLocker locker(&mutex_);
    signalled_ << event;
}

QStringList DialerThread::failures(const QStringList& signalled) {
    QStringList reasons;
    for (const QString& event : signalled) {
        if (event.startsWith("failed ")) {
            reasons << event.mid(7);
        }
    }
    return reasons;
}

} // namespace testing
