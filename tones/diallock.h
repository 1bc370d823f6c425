// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One dial at a time for each user: a dialer that is to dial while another of
// the same user's dialers is dialling waits until that dial has ended, so that
// two commands never go out mixed into one. A lock left by a dialer that died
// is taken over.
//
// Every dialer of a user looks for the lock the same way, whatever its
// environment: in the first of these folders where a lock file can be made
// (each a real folder of the user's own, closed to others):
//   1. $XDG_RUNTIME_DIR, when it is set,
//   2. /run/user/<uid>,
//   3. dtmf-dialer-<uid> in the temporary folder (made, mode 0700, if missing).
// Never the current folder. When none will do, there is no lock, and no dial.

#include <QLockFile>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace tones {

class DialLock {
public:
    // The folders to look in, in order.
    static QStringList candidateFolders();

    explicit DialLock(QStringList folders = candidateFolders(),
                      QString fileName = QStringLiteral("dtmf-dialer.lock"));
    ~DialLock();

    // Waits until no other dial of this user runs and takes the lock, looking
    // again every 20 ms for as long as `keepWaiting` says so. Empty when the
    // lock is held; else why it is not (no folder will do, or the wait was
    // given up).
    QString lock(const std::function<bool()>& keepWaiting);
    void unlock();

private:
    QStringList folders_;
    QString fileName_;
    std::unique_ptr<QLockFile> file_;
};

} // namespace tones
