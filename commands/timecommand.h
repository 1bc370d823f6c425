#pragma once
// The clock-setting command: UTC now minus six seconds, as seconds, minutes,
// hours, weekday digit, day, month and two-digit year between "**10#" and "#".

#include "runtime/dates.h"

#include <QString>

namespace commands {

// From a given UTC time (every field from the same value).
QString BuildTimeCommand(const rt::DateTime& utcNow);

} // namespace commands
