// SPDX-License-Identifier: GPL-3.0-or-later
#include "tones/diallock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace tones {
namespace {

constexpr int kTryMs = 20;

// Why `folder` will not do for the lock, or nothing when it will: a folder
// (not a link to one), of this user's own, that no one else may write into.
QString unusable(const QString& folder) {
    struct stat info {};
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0) {
        return folder + QStringLiteral(": missing");
    }
    if (!S_ISDIR(info.st_mode)) {
        return folder + QStringLiteral(": not a folder");
    }
    if (info.st_uid != ::getuid()) {
        return folder + QStringLiteral(": belongs to someone else");
    }
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return folder + QStringLiteral(": others may write into it");
    }
    return {};
}

} // namespace

QStringList DialLock::candidateFolders() {
    QStringList folders;
    if (const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR"); !runtime.isEmpty()) {
        folders << runtime;
    }
    const QString uid = QString::number(::getuid());
    folders << QStringLiteral("/run/user/") + uid;
    folders << QDir(QDir::tempPath()).filePath(QStringLiteral("dtmf-dialer-") + uid);
    return folders;
}

DialLock::DialLock(QStringList folders, QString fileName)
    : folders_(std::move(folders)), fileName_(std::move(fileName)) {}

DialLock::~DialLock() = default;

QString DialLock::lock(const std::function<bool()>& keepWaiting) {
    QStringList refused;
    for (const QString& folder : folders_) {
        if (folder == folders_.last()) {
            // The last resort is made if it is missing; mkdir leaves one that
            // exists, and then it is checked like the others.
            ::mkdir(QFile::encodeName(folder).constData(), 0700);
        }
        if (const QString why = unusable(folder); !why.isEmpty()) {
            refused << why;
            continue;
        }
        auto file = std::make_unique<QLockFile>(QDir(folder).filePath(fileName_));
        // A dial may rightly last for minutes: the lock is never taken away for
        // its age, only when the process that holds it is gone.
        file->setStaleLockTime(0);
        while (!file->tryLock(kTryMs)) {
            if (file->error() != QLockFile::LockFailedError) {
                break;
            }
            // Another dial holds it: this is the lock, and the one to wait for.
            if (keepWaiting && !keepWaiting()) {
                return QStringLiteral("stopped while waiting for another dial to end");
            }
        }
        if (file->isLocked()) {
            file_ = std::move(file);
            return {};
        }
        refused << folder + QStringLiteral(": no lock file can be made there");
    }
    return QStringLiteral("no folder for the one-dial-at-a-time lock (") +
           refused.join(QStringLiteral("; ")) + u')';
}

void DialLock::unlock() {
    file_.reset();
}

} // namespace tones
