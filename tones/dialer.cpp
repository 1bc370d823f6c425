// SPDX-License-Identifier: GPL-3.0-or-later
#include "tones/dialer.h"

#include "tones/outputs.h"
#include "tones/portaudiooutput.h"
#include "tones/soundlog.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
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

void Dialer::dial(const QString& command, const QString& name, const QString& from) {
    stopRequested_ = false;
    dialling_ = true;
    const auto symbols = [](QStringView text) {
        return int(text.size() - text.count(u' ') - text.count(u'\t'));
    };
    const StationSettings station = this->station();
    const UplinkLog log([this] {
        const QMutexLocker locker(&mutex_);
        return logFile_;
    }());
    const DialRecord record{command, name, from, station.output, station.ptt.type};
    QElapsedTimer clock;
    QList<int> notSent;
    // The positions from `from` on that hold a symbol.
    const auto notSentFrom = [&command, &notSent](qsizetype first) {
        for (qsizetype i = std::max<qsizetype>(first, 0); i < command.size(); ++i) {
            if (command.at(i) != u' ' && command.at(i) != u'\t' && !notSent.contains(int(i))) {
                notSent.append(int(i));
            }
        }
        std::sort(notSent.begin(), notSent.end());
    };
    const auto logEnd = [&] {
        writeLog(log.writeEnd(record, QDateTime::currentDateTimeUtc(), notSent, clock.elapsed()));
    };
    const QString noLock = lock_.lock([this] { return !stopRequested_; });
    // The start is on disk before the first tone sounds.
    clock.start();
    writeLog(log.writeStart(record, QDateTime::currentDateTimeUtc()));
    if (!noLock.isEmpty()) {
        notSentFrom(0);
        logEnd();
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
    if (const QString refusal = chooseOutput(station.output); !refusal.isEmpty()) {
        notSentFrom(0);
        logEnd();
        lock_.unlock();
        dialling_ = false;
        qCWarning(lcSound).noquote() << "nothing sent:" << refusal;
        emit dialRefused(refusal);
        emit dialFinished();
        return;
    }

    // Keying: the transmitter keyed before the first tone, which the tone
    // player sends the lead after (the sound output open already). Opened for
    // each dial, so that a rig or rigctld started afresh between two passes
    // just works. When it cannot be keyed, nothing is sent.
    const PttSettings ptt = station.ptt;
    if (ptt.keys()) {
        player_.openAhead(command);
        const QString failure =
            transmitter_->open(ptt) ? keyTransmitter() : transmitter_->errorString();
        if (!failure.isEmpty() || stopRequested_) {
            output_->close(); // nothing written
            releaseTransmitter();
            transmitter_->close();
            notSentFrom(0);
            logEnd();
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
        [this, &failures, &notSent](const QString& reason, qsizetype position) {
            ++failures;
            notSent.append(int(position));
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
        notSentFrom(stoppedAt);
    }
    logEnd();
    emit dialFinished();
}

void Dialer::writeLog(const QString& error) {
    if (error.isEmpty()) {
        return;
    }
    // The operator is told once, by whoever shows logFailed(); the dial goes on.
    if (!std::exchange(logFailureSaid_, true)) {
        emit logFailed(error);
    } else {
        qCDebug(lcSound).noquote() << "uplink log:" << error;
    }
}

void Dialer::setLogFile(const QString& path) {
    const QMutexLocker locker(&mutex_);
    logFile_ = path;
}

QString Dialer::chooseOutput(const QString& wanted) {
    output_->setDevice(QString());
    if (wanted.isEmpty()) {
        return {};
    }
    // Looked for at every dial: the output may have come or gone since the last.
    QString error;
    const auto outputs = listOutputs(&error);
    if (!outputs) {
        return QStringLiteral("the sound server cannot be asked for the uplink output \"%1\" (%2)")
            .arg(wanted, error);
    }
    const QStringList sinks = resolveOutput(wanted, *outputs);
    if (sinks.isEmpty()) {
        return QStringLiteral("the uplink output \"%1\" is not there").arg(wanted);
    }
    if (sinks.size() > 1) {
        return QStringLiteral("the uplink output \"%1\" is the description of %2 outputs (%3): "
                              "choose one by its name")
            .arg(wanted)
            .arg(sinks.size())
            .arg(sinks.join(QStringLiteral(", ")));
    }
    output_->setDevice(sinks.constFirst());
    return {};
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
