// SPDX-License-Identifier: GPL-3.0-or-later
#include "commands/composer.h"

#include "commands/elements.h"
#include "commands/timecommand.h"

namespace commands {

ComposedCommand composeCommand(const CatalogueEntry& entry, const CommandValues& values) {
    // Composed commands with values show "**nn#" and a default value or a
    // placeholder on their button: the first five characters are the head.
    const QString head = entry.caption.left(5).toString();
    switch (entry.composition) {
    case Composition::Caption:
        return {entry.caption.toString(), {}};
    case Composition::Threshold:
        return {head + values.*entry.firstValue + u'#', {}};
    case Composition::PacketPair:
        return {head + values.*entry.firstValue + values.*entry.secondValue + u'#', {}};
    case Composition::Elements:
        if (const auto problem = elementSetProblem(values.elementSet)) {
            return {{}, QStringLiteral("The element set was not sent: ") + *problem};
        }
        return {buildElementsCommand(readElementSet(values.elementSet)), {}};
    case Composition::Time:
        return {buildTimeCommand(values.utcNow), {}};
    case Composition::FreeText:
        return {values.*entry.firstValue, {}};
    }
    return {};
}

QString lastSentText(const QString& command) {
    return QStringLiteral("last sent: ") + command;
}

} // namespace commands
