// SPDX-License-Identifier: GPL-3.0-or-later
#include "tones/soundlog.h"

namespace tones {

Q_LOGGING_CATEGORY(lcSound, "dialer.sound", QtWarningMsg)

} // namespace tones
