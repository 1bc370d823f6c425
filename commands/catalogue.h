#pragma once
// The telecommands the operator can send: one entry per button of the command
// button array. The window builds its buttons, their name labels and its group
// captions from this table, and the composer decides from it what a press sends.

#include <QString>
#include <span>

namespace commands {

enum class Sent {
    Caption,    // the caption, unchanged
    Threshold,  // command number and the value of one box
    PacketPair, // command number and the values of two boxes, joined
    Elements,   // the orbital-elements upload
    Time,       // the clock-setting command
    FreeText,   // the text of one box, unchanged
};

struct CatalogueEntry {
    qint16 index;
    QStringView group;   // caption of the frame the button stands in
    QStringView name;    // caption of the label left of the button; empty if none
    QStringView caption; // the text on the button's face
    Sent sent;
    QStringView firstBox = {}; // value boxes of composed commands
    QStringView secondBox = {};
};

// Every entry, in the order the groups stand on the window and row by row
// within a group.
std::span<const CatalogueEntry> Catalogue();

// The entry of a button index, or nullptr when no button has that index.
const CatalogueEntry* FindCommand(qint16 index);

inline constexpr qint16 kCommandCount = 28;

} // namespace commands
