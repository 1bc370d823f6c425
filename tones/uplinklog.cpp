// SPDX-License-Identifier: GPL-3.0-or-later
#include "tones/uplinklog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tones {
namespace {

QJsonObject record(const char* event, const DialRecord& dial, const QDateTime& utc) {
    return {
        {QStringLiteral("time"), utc.toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("event"), QString::fromLatin1(event)},
        {QStringLiteral("command"), dial.command},
        {QStringLiteral("name"), dial.name.isNull() ? QJsonValue() : QJsonValue(dial.name)},
        {QStringLiteral("from"), dial.from},
        {QStringLiteral("output"), dial.output},
        {QStringLiteral("ptt"), dial.ptt},
    };
}

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

UplinkLog::UplinkLog(const QString& path) : path_(path.isEmpty() ? defaultPath() : path) {}

QString UplinkLog::defaultPath() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state)) {
        state = QDir::homePath() + QStringLiteral("/.local/state");
    }
    return state + QStringLiteral("/dtmf-dialer/uplink.jsonl");
}

QString UplinkLog::writeStart(const DialRecord& dial, const QDateTime& utc) const {
    return append(QJsonDocument(record("dial-start", dial, utc)).toJson(QJsonDocument::Compact));
}

QString UplinkLog::writeEnd(const DialRecord& dial, const QDateTime& utc, const QList<int>& notSent,
                            qint64 durationMs) const {
    QJsonObject end = record("dial-end", dial, utc);
    QJsonArray positions;
    for (const int position : notSent) {
        positions.append(position);
    }
    end.insert(QStringLiteral("not_sent"), positions);
    end.insert(QStringLiteral("duration_ms"), durationMs);
    return append(QJsonDocument(end).toJson(QJsonDocument::Compact));
}

QString UplinkLog::append(const QByteArray& json) const {
    const QString folder = QFileInfo(path_).path();
    if (!QDir().mkpath(folder)) {
        return QStringLiteral("%1: the folder cannot be made").arg(folder);
    }
    const QByteArray line = json + '\n';
    const int fd = ::open(QFile::encodeName(path_).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return path_ + QStringLiteral(": ") + systemError("open");
    }
    QString error;
    // One write of the whole line, under the lock: another process appending
    // meanwhile goes before or after it, never into it.
    if (::flock(fd, LOCK_EX) != 0) {
        error = systemError("flock");
    } else {
        qsizetype done = 0;
        while (done < line.size()) {
            const ssize_t written =
                ::write(fd, line.constData() + done, size_t(line.size() - done));
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                error = systemError("write");
                break;
            }
            done += written;
        }
        if (error.isEmpty() && ::fsync(fd) != 0) {
            error = systemError("fsync");
        }
    }
    ::close(fd); // the lock goes with it
    return error.isEmpty() ? QString() : path_ + QStringLiteral(": ") + error;
}

} // namespace tones
