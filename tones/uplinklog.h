// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The uplink log: every dial, from the window or from a script, appended to a
// file of JSON lines, one object a line: "dial-start" before the first tone
// sounds and "dial-end" when the dial has ended, each flushed to disk before
// the call returns. Many processes may append to one log: each line goes in
// whole, in one write under an exclusive lock of the file, so that lines never
// interleave or tear.

#include <QDateTime>
#include <QList>
#include <QString>

namespace tones {

// What the log says of one dial.
struct DialRecord {
    QString command; // as shown
    QString name;    // the catalogue's name; a null string for free text
    QString from;    // "window" or "command-line"
    QString output;  // the output used; empty: the default output
    QString ptt;     // the PTT type used
};

class UplinkLog {
public:
    // `path` empty: $XDG_STATE_HOME/dtmf-dialer/uplink.jsonl, by default
    // ~/.local/state/dtmf-dialer/uplink.jsonl.
    explicit UplinkLog(const QString& path = QString());
    static QString defaultPath();
    QString path() const { return path_; }

    // Each appends one line; empty when it is on disk, else why not.
    QString writeStart(const DialRecord& dial, const QDateTime& utc) const;
    QString writeEnd(const DialRecord& dial, const QDateTime& utc, const QList<int>& notSent,
                     qint64 durationMs) const;

private:
    QString append(const QByteArray& line) const;

    QString path_;
};

} // namespace tones
