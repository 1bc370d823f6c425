#include "tones/dialer.h"

#include "tones/portaudiooutput.h"
#include "tones/soundlog.h"

#include <QDeadlineTimer>
#include <QFileInfo>

namespace tones {

Dialer::Dialer(QString toneFolder, std::unique_ptr<AudioOutput> output, const QString& lockPath,
               QObject* parent)
    : QObject(parent), output_(output ? std::move(output) : std::make_unique<PortAudioOutput>()),
      transmitter_(makeHamlibTransmitter()), player_(std::move(toneFolder), *output_),
      lock_(lockPath.isEmpty()
                ? DialLock()
                : DialLock({QFileInfo(lockPath).path()}, QFileInfo(lockPath).fileName())) {
    // testKeying() is also called by name, queued to the dialer's thread.
    qRegisterMetaType<PttSettings>();
}

Dialer::~Dialer() = default;

bool Dialer::startAudio() {
    return output_->initialize();
}

void Dialer::dial(const QString& command) {
    stopRequested_ = false;
    dialling_ = true;
    const auto symbols = [](QStringView text) {
        return int(text.size() - text.count(u' ') - text.count(u'\t'));
    };
    const QString noLock = lock_.lock([this] { return !stopRequested_; });
    if (!noLock.isEmpty()) {
        dialling_ = false;
        if (stopRequested_) {
            emit dialStopped(0, symbols(command), command);
        } else {
            // Without the lock, two dials could sound at once, mixed into one:
            // nothing is sent.
            qCWarning(lcSound).noquote() << "nothing sent:" << noLock;
            emit dialRefused(noLock);
        }
        emit dialFinished();
        return;
    }

    // Keying: the transmitter keyed before the first tone, which the tone
    // player sends the lead after (the sound output open already). Opened for
    // each dial, so that a rig or rigctld started afresh between two passes
    // just works. When it cannot be keyed, nothing is sent.
    const PttSettings ptt = station().ptt;
    if (ptt.keys()) {
        player_.openAhead(command);
        const QString failure =
            transmitter_->open(ptt) ? keyTransmitter() : transmitter_->errorString();
        if (!failure.isEmpty() || stopRequested_) {
            output_->close(); // nothing written
            releaseTransmitter();
            transmitter_->close();
            lock_.unlock();
            dialling_ = false;
            if (failure.isEmpty()) {
                emit dialStopped(0, symbols(command), command);
            } else {
                emit dialRefused(QStringLiteral("the transmitter could not be keyed: ") + failure);
            }
            emit dialFinished();
            return;
        }
    }
    const TonePlayer::Keying keying{[this] { return keyTransmitter(); },
                                    [this] { releaseTransmitter(); }, ptt.leadMs, ptt.tailMs};

    emit dialStarted(command);
    int failures = 0;
    const qsizetype stoppedAt = player_.play(
        command,
        [this, &failures](const QString& reason) {
            ++failures;
            reportFailure(reason);
        },
        [this] { return stopRequested_.load(); }, ptt.keys() ? &keying : nullptr);
    transmitter_->close();
    lock_.unlock();
    dialling_ = false;
    if (stoppedAt >= 0) {
        const int sent = symbols(QStringView(command).left(stoppedAt)) - failures;
        qCWarning(lcSound).noquote()
            << QStringLiteral("stopped: %1 of %2 symbols went out; not sent: %3")
                   .arg(sent)
                   .arg(symbols(command))
                   .arg(command.mid(stoppedAt));
        emit dialStopped(sent, symbols(command), command.mid(stoppedAt));
    }
    emit dialFinished();
}

void Dialer::testKeying(const PttSettings& ptt) {
    stopRequested_ = false;
    dialling_ = true;
    QString failure = ptt.keys() ? lock_.lock([this] { return !stopRequested_; })
                                 : QStringLiteral("the PTT type is NONE: nothing is keyed");
    if (failure.isEmpty()) {
        if (!transmitter_->open(ptt) || !transmitter_->setKeyed(true)) {
            failure = transmitter_->errorString();
        } else {
            waitUnlessStopped(1000);
            if (!transmitter_->setKeyed(false)) {
                failure = transmitter_->errorString();
            }
        }
        transmitter_->close();
        lock_.unlock();
    }
    dialling_ = false;
    emit keyingTested(failure);
}

QString Dialer::keyTransmitter() {
    if (!transmitter_->setKeyed(true)) {
        return transmitter_->errorString();
    }
    keyed_ = true;
    return {};
}

void Dialer::releaseTransmitter() {
    // A rig that does not release has said why in the log; the dial goes on.
    if (std::exchange(keyed_, false)) {
        transmitter_->setKeyed(false);
    }
}

void Dialer::waitUnlessStopped(int ms) {
    const QDeadlineTimer deadline(ms, Qt::PreciseTimer);
    const QMutexLocker locker(&mutex_);
    // requestStop() wakes the waits for an acknowledgement, this one too.
    while (!stopRequested_ && !deadline.hasExpired()) {
        acknowledged_.wait(&mutex_, deadline);
    }
}

void Dialer::setTransmitter(std::unique_ptr<Transmitter> transmitter) {
    transmitter_ = std::move(transmitter);
}

void Dialer::reportFailure(const QString& reason) {
    if (stopRequested_) {
        return; // the one message at the stop tells what was not sent
    }
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

void Dialer::requestStop() {
    if (!dialling_) {
        return;
    }
    stopRequested_ = true;
    // A failure waiting for its OK waits no longer.
    acknowledgeFailure();
}

void Dialer::setStation(const StationSettings& station) {
    const QMutexLocker locker(&mutex_);
    station_ = station;
}

StationSettings Dialer::station() const {
    const QMutexLocker locker(&mutex_);
    return station_;
}

void Dialer::prepareForShutdown() {
    const QMutexLocker locker(&mutex_);
    shuttingDown_ = true;
    awaitingAcknowledgement_ = false;
    acknowledged_.wakeAll();
}

} // namespace tones
