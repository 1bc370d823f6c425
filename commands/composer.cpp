#include "commands/composer.h"

#include "commands/catalogue.h"

namespace commands {

Composer::Composer(ControlAccess& controls, Dial playCommandTones, Builder buildElementsCommand,
                   Builder buildTimeCommand)
    : controls_(controls), playCommandTones_(std::move(playCommandTones)),
      buildElementsCommand_(std::move(buildElementsCommand)),
      buildTimeCommand_(std::move(buildTimeCommand)) {}

QString Composer::ComposeCommand(qint16 index) const {
    const CatalogueEntry* entry = FindCommand(index);
    if (entry == nullptr) {
        return {};
    }
    // Composed commands that carry box values show "**nn#" followed by their
    // default parameter or a placeholder on the button: the first five characters
    // are the command's head.
    const QString head = entry->caption.left(5).toString();
    switch (entry->sent) {
    case Sent::Caption:
        return entry->caption.toString();
    case Sent::Threshold:
        return head + controls_.text(entry->firstBox) + u'#';
    case Sent::PacketPair:
        return head + controls_.text(entry->firstBox) + controls_.text(entry->secondBox) + u'#';
    case Sent::Elements:
        return buildElementsCommand_();
    case Sent::Time:
        return buildTimeCommand_();
    case Sent::FreeText:
        return controls_.text(entry->firstBox);
    }
    return {};
}

void Composer::SendCommand(qint16 index) {
    if (FindCommand(index) == nullptr) {
        return;
    }
    const QString command = ComposeCommand(index);
    controls_.setText(kLastSentBox, kLastSentPrefix.toString() + command);
    playCommandTones_(command);
}

} // namespace commands
