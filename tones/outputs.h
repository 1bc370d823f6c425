// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sound outputs (sinks) of the desktop's sound server, PulseAudio or
// PipeWire's pulse server, as `pactl list short sinks` and `wpctl status` show
// them.

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tones {

struct OutputInfo {
    QString name; // the sink's name, e.g. "alsa_output.usb-C-Media_USB_Audio-00.analog-stereo"
    QString description; // what the desktop shows, e.g. "USB Audio Device Analog Stereo"
};

// The server's sinks, in its order; nullopt, and why in `error`, when the
// server cannot be asked. Asks the server of the session (never starts one)
// and gives up after 3 s.
std::optional<QList<OutputInfo>> listOutputs(QString* error);

// The names of the sinks that `given` (what the operator chose, blanks around
// it aside) means among `outputs`: the sink of that name, else every sink of
// that description. None for an empty choice.
QStringList resolveOutput(const QString& given, const QList<OutputInfo>& outputs);

} // namespace tones
