// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How this station sends: the sound output the tones go to, and how the
// transmitter is keyed around them. Kept in the user's settings file
// (~/.config/dtmf-dialer/dtmf-dialer.conf), groups "uplink" and "transmitter";
// the command line may set any of them for one run.

#include <QSettings>
#include <QString>
#include <QStringList>

namespace tones {

struct PttSettings {
    // Hamlib's names: NONE (nothing is keyed; the radio's VOX, if any), RIG
    // (a CAT command, through the rig), DTR or RTS (a serial port's line),
    // CM108 or GPIO (a USB sound interface's or the board's pin).
    QString type = QStringLiteral("NONE");
    int rigModel = 1; // Hamlib's model number; 1 a dummy rig, 2 a running rigctld
    QString rigFile;  // the rig's port, or HOST:PORT of rigctld
    QString pttFile;  // the port or device of DTR, RTS, CM108 and GPIO keying
    int leadMs = 250; // keyed this long before the first tone starts
    int tailMs = 100; // released this long after the last tone's sound has ended
    bool keys() const { return type.compare(u"NONE", Qt::CaseInsensitive) != 0; }
    bool operator==(const PttSettings&) const = default;
};

struct StationSettings {
    // The sink the tones go to, by its name or its description as the sound
    // server shows it; empty: the default output.
    QString output;
    PttSettings ptt;
    bool operator==(const StationSettings&) const = default;
};

// The PTT types, as Hamlib names them.
inline const QStringList kPttTypes = {QStringLiteral("NONE"),  QStringLiteral("RIG"),
                                      QStringLiteral("DTR"),   QStringLiteral("RTS"),
                                      QStringLiteral("CM108"), QStringLiteral("GPIO")};

// What `settings` holds; a key that is missing or malformed keeps its default.
StationSettings loadStation(QSettings& settings);
void saveStation(QSettings& settings, const StationSettings& station);

} // namespace tones
