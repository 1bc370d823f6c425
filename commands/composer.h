// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a press of a command button sends: every command leaves through here,
// from the window and from anything else that composes commands.

#include "commands/catalogue.h"

#include <QString>

namespace commands {

// A command to send, or why nothing may be sent.
struct ComposedCommand {
    QString command;
    QString refusal; // empty when the command may go out
};

// The command string of `entry` from the values as they stand: the caption of a
// fixed command, "**nn#" with the value or values of a threshold or packet
// command, the element-set or time-set command, or the free text unchanged.
// Values go in as typed: no trimming, no check of length or digits. An element
// set is the one thing checked: a corrupt one would become the spacecraft's
// orbit, so it is refused, with what is wrong with it.
ComposedCommand composeCommand(const CatalogueEntry& entry, const CommandValues& values);

// What the last-sent display shows once `command` has been sent.
QString lastSentText(const QString& command);

} // namespace commands
