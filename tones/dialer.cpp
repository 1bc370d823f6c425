#include "tones/dialer.h"

#include "tones/portaudiooutput.h"

namespace tones {

Dialer::Dialer(QString toneFolder, std::unique_ptr<AudioOutput> output, const QString& lockPath,
               QObject* parent)
    : QObject(parent), output_(output ? std::move(output) : std::make_unique<PortAudioOutput>()),
      player_(std::move(toneFolder), *output_),
      lock_(lockPath.isEmpty() ? DialLock::defaultPath() : lockPath) {}

Dialer::~Dialer() = default;

bool Dialer::startAudio() {
    return output_->initialize();
}

void Dialer::dial(const QString& command) {
    // Without a lock (no writable runtime folder) there is nothing to wait for.
    const bool locked = lock_.lock({});
    emit dialStarted(command);
    player_.play(command, [this](const QString& reason) { reportFailure(reason); });
    if (locked) {
        lock_.unlock();
    }
    emit dialFinished();
}

void Dialer::reportFailure(const QString& reason) {
    // Waiting before the signal goes out: an acknowledgement that comes at once
    // is not lost.
    {
        const QMutexLocker locker(&mutex_);
        awaitingAcknowledgement_ = !shuttingDown_;
    }
    emit toneFailed(reason);
    const QMutexLocker locker(&mutex_);
    while (awaitingAcknowledgement_) {
        acknowledged_.wait(&mutex_);
    }
}

void Dialer::acknowledgeFailure() {
    const QMutexLocker locker(&mutex_);
    awaitingAcknowledgement_ = false;
    acknowledged_.wakeAll();
}

void Dialer::prepareForShutdown() {
    const QMutexLocker locker(&mutex_);
    shuttingDown_ = true;
    awaitingAcknowledgement_ = false;
    acknowledged_.wakeAll();
}

} // namespace tones
