// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The clock-setting command: UTC now minus six seconds, as seconds, minutes,
// hours, weekday digit, day, month and two-digit year between "**10#" and "#".

#include <QDateTime>
#include <QString>

namespace commands {

// From a given UTC time; every field comes from the same moment.
QString buildTimeCommand(const QDateTime& utcNow);

} // namespace commands
