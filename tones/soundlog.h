// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the sound path says why a tone did not go out: every failed call of
// libsndfile, libsamplerate, PortAudio or libpulse writes one line with the
// library's own words, and the tone player one line for each symbol that did
// not sound. Only those (warnings) show unless asked for: what ALSA and JACK
// say while PortAudio looks through their devices, and the output's own notes,
// are debug lines, shown with QT_LOGGING_RULES="dialer.sound.debug=true".
// Turned off with QT_LOGGING_RULES="dialer.sound=false".

#include <QLoggingCategory>

namespace tones {

Q_DECLARE_LOGGING_CATEGORY(lcSound)

} // namespace tones
