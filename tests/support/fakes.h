// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a dial did, noted in order, and a stand-in for the sound output.

#include "tones/dialer.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>

namespace testing {

// Noted from any thread: "[" as a dial starts, "!" and the symbol of each failure,
// "]" as it finishes, and whatever else is noted between.
struct DialRecord {
    QMutex mutex;
    QStringList events;
    QStringList reasons;  // why each failure
    QTemporaryDir logDir; // the dialers' uplink log, kept out of the home folder

    void note(const QString& event, const QString& reason = {}) {
        const QMutexLocker locker(&mutex);
        events << event;
        if (!reason.isEmpty())
            reasons << reason;
    }
    // A dialer of the tone files in `folder` through `output`, with the program's
    // lock, whose signals are noted on its own thread; without `onFailure` each
    // failure is acknowledged at once.
    std::unique_ptr<tones::Dialer> dialer(const QString& folder,
                                          std::unique_ptr<tones::AudioOutput> output,
                                          const std::function<void()>& onFailure = {}) {
        auto made = std::make_unique<tones::Dialer>(folder, std::move(output));
        made->setLogFile(logDir.filePath("uplink.jsonl"));
        tones::Dialer* watched = made.get();
        const auto failed = [this, watched, onFailure](const QString& reason) {
            note("!" + reason.mid(1, 1), reason);
            onFailure ? onFailure() : watched->acknowledgeFailure();
        };
        QObject::connect(watched, &tones::Dialer::dialStarted, watched, [this] { note("["); });
        QObject::connect(watched, &tones::Dialer::toneFailed, watched, failed);
        QObject::connect(watched, &tones::Dialer::dialFinished, watched, [this] { note("]"); });
        return made;
    }
    // The last line of the uplink log.
    QJsonObject lastLogged() {
        QFile log(logDir.filePath("uplink.jsonl"));
        const QList<QByteArray> lines = log.open(QIODevice::ReadOnly)
                                            ? log.readAll().trimmed().split('\n')
                                            : QList<QByteArray>();
        return QJsonDocument::fromJson(lines.value(lines.size() - 1)).object();
    }
    // The events since the last take(), joined by blanks; the reasons are cleared too.
    QString take() {
        const QMutexLocker locker(&mutex);
        reasons.clear();
        return std::exchange(events, {}).join(u' ');
    }
};

// Notes its calls: "o" an open, for each write the number n of the tone file it
// held (its length tells: 40 + 5n ms at 8 kHz), or "_" for silence, and "x" if
// it failed, "d" a drain ("dx" if it failed), "c" the close of an open stream.
struct FakeOutput : tones::AudioOutput {
    std::function<void(const QString&)> note;
    bool device = true;
    int failingWrite = -1; // from 0
    bool failingDrain = false;
    qint64 playedAtFailure = -1; // -1: all that was written
    int writes = 0;
    qint64 written = 0; // since the stream last started
    tones::AudioFormat opened;

    bool initialize() override { return device; }
    void setDevice(const QString&) override {}
    bool open(const tones::AudioFormat& wanted) override {
        if (device) {
            note("o");
            opened = wanted;
        }
        return device;
    }
    bool isOpen() const override { return opened.sampleRate != 0; }
    tones::AudioFormat format() const override { return opened; }
    bool write(const float* samples, qint64 frames) override {
        const bool ok = writes++ != failingWrite;
        const bool silent = std::all_of(samples, samples + frames * opened.channels,
                                        [](float s) { return s == 0; });
        note((silent ? "_" : QString::number((frames * 1000 / opened.sampleRate - 40) / 5)) +
             (ok ? "" : "x"));
        written += ok ? frames : 0;
        return ok;
    }
    bool drain() override {
        note(failingDrain ? "dx" : "d");
        written = failingDrain ? written : 0;
        return !failingDrain;
    }
    qint64 framesPlayed() const override { return playedAtFailure < 0 ? written : playedAtFailure; }
    void close() override {
        if (isOpen()) {
            note("c");
        }
        opened = {};
    }
    QString errorString() const override { return device ? "device failed" : "no device"; }
};

// Notes "K" a keying, "R" a release, "Kx" a keying and "Ox" an opening that
// failed; `onKey` runs after each keying.
struct FakeTransmitter : tones::Transmitter {
    std::function<void(const QString&)> note;
    std::function<void()> onKey;
    bool openFails = false;
    QList<int> failingKeys; // counted from 0
    int keys = 0;

    bool open(const tones::PttSettings&) override {
        if (openFails) {
            note("Ox");
        }
        return !openFails;
    }
    bool setKeyed(bool keyed) override {
        const bool ok = !keyed || !failingKeys.contains(keys++);
        note(keyed ? (ok ? "K" : "Kx") : "R");
        if (keyed && ok && onKey) {
            onKey();
        }
        return ok;
    }
    void close() override {}
    QString errorString() const override { return "rig_open: Communication timed out"; }
};

} // namespace testing
