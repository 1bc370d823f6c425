// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A command asked for by name, as a script asks for it ("SET_LOW_TEMP=205",
// "PACKET_POINTER=00012,00010", "SET_TIME", or a DTMF string sent as it
// stands), turned into the entry and values that a press of its button with
// those values in its boxes would compose from.

#include "commands/catalogue.h"

#include <QString>
#include <optional>

namespace commands {

struct CommandRequest {
    const CatalogueEntry* entry = nullptr;
    CommandValues values;
    QString error; // why the request cannot be sent; then entry is nullptr
};

// `what` is NAME, NAME=VALUE or NAME=FIRST,SECOND (a blank in the name may be
// written "_"), or a string of DTMF symbols and blanks. `elementSet` is the
// text of an element set, for the element-set command. Values go in as typed,
// as the window takes them; a value longer than its box holds, a missing value
// or one too many is refused.
CommandRequest requestCommand(const QString& what, const std::optional<QString>& elementSet,
                              const QDateTime& utcNow);

// The catalogue for a script's author: each command's name, what it sends and
// what values it takes, a line each.
QString describeCatalogue();

} // namespace commands
