#pragma once
// Where the sound path says why a tone did not go out: every failed call of
// libsndfile, libsamplerate or PortAudio writes one line with the library's own
// words, and the tone player one line for each symbol that did not sound. Turned
// off with QT_LOGGING_RULES="dialer.sound=false".

#include <QLoggingCategory>

namespace tones {

Q_DECLARE_LOGGING_CATEGORY(lcSound)

} // namespace tones
