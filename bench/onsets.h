// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the tones of a recording begin, for the dialling benchmark's timings.

#include <QString>
#include <QVector>

namespace bench {

// Times (ms from the start of the file) at which tones begin: a 2 ms RMS
// envelope crossing 20 % of the recording's peak, its channels mixed to one.
QVector<double> onsets(const QString& wavPath);

} // namespace bench
