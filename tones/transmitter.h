// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The transmitter's push-to-talk (PTT), keyed around each command: through
// Hamlib, by a CAT command to the rig (or to rigctld), or by a serial port's DTR
// or RTS line, a USB sound interface's CM108 pin or a GPIO pin. Every failure
// writes one line (category `dialer.ptt`, with Hamlib's own words); Hamlib's
// own chatter goes there too, at debug level, and is off unless asked for
// (QT_LOGGING_RULES="dialer.ptt.debug=true").

#include "tones/station.h"

#include <QList>
#include <QLoggingCategory>
#include <QString>
#include <memory>

namespace tones {

Q_DECLARE_LOGGING_CATEGORY(lcPtt)

class Transmitter {
public:
    virtual ~Transmitter() = default;

    // Opens the rig or port that `ptt` names (closing one left open). False,
    // and why in errorString(), when it cannot be had.
    virtual bool open(const PttSettings& ptt) = 0;
    // Keys (true) or releases (false) the open transmitter; false, and why,
    // when the rig does not do it.
    virtual bool setKeyed(bool keyed) = 0;
    // Closes it; nothing happens when nothing is open.
    virtual void close() = 0;
    // Why the last open() or setKeyed() failed: Hamlib's reason, and where.
    virtual QString errorString() const = 0;
};

// The transmitter keyed through Hamlib.
std::unique_ptr<Transmitter> makeHamlibTransmitter();

struct RigModelInfo {
    int model; // Hamlib's model number, as PttSettings::rigModel holds it
    QString maker, name;
};

// Every rig model Hamlib knows, sorted by maker, then by name.
QList<RigModelInfo> rigModels();

} // namespace tones
