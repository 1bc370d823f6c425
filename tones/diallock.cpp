#include "tones/diallock.h"

#include <QDir>
#include <QStandardPaths>

namespace tones {

QString DialLock::defaultPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
        .filePath(QStringLiteral("dtmf-dialer.lock"));
}

DialLock::DialLock(const QString& path) : file_(path) {
    // A dial may rightly last for minutes: the lock is never taken away for its
    // age, only when the process that holds it is gone.
    file_.setStaleLockTime(0);
}

bool DialLock::lock(const std::function<void()>& idle) {
    constexpr int kTryMs = 20;
    while (!file_.tryLock(kTryMs)) {
        if (file_.error() != QLockFile::LockFailedError) {
            return false;
        }
        if (idle) {
            idle();
        }
    }
    return true;
}

void DialLock::unlock() {
    file_.unlock();
}

} // namespace tones
