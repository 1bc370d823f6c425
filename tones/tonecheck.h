// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether a tone sounds the DTMF key it stands for, judged from its samples, so
// that a wrong, damaged or silent tone file can be caught before it is sent.

#include "tones/dtmf.h"
#include "tones/soundfile.h"

namespace tones {

// True when the sound (any rate from 4000 Hz, any channel count, mixed to
// mono) holds the key's pair for a digit's length, and every stretch of sound
// in it long enough to be heard as a digit is that pair alone: both
// frequencies within 2.25 % of nominal, their levels within 8 dB of each
// other, no other DTMF frequency within 10 dB of them and together most of
// the sound's power. A digit's length is 40 ms with its fades; measured from
// where the sound first comes within 40 dB of its peak to where it last falls
// below, 33 ms is enough and 30 ms is not. The level does not matter, but
// silence is refused.
bool carriesDtmfPair(const Samples& tone, const DtmfKey& key);

} // namespace tones
