// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The telecommands the operator can send, one entry per command button. The
// window takes its buttons' captions, their name labels and its group titles
// from this table, and the composer decides from it what a press sends.

#include <QDateTime>
#include <QString>
#include <span>

namespace commands {

// Everything a composed command may take, as it stands at the press: typed
// values exactly as typed, the pasted element set and the current UTC time.
struct CommandValues {
    QString lowTemp; // threshold values
    QString okTemp;
    QString lowBatt;
    QString critBatt;
    QString pointerIn; // packet pointer pair
    QString pointerOut;
    QString resendStart; // packet resend pair
    QString resendStop;
    QString freeText;
    QString elementSet; // as pasted: title, line breaks and all
    QDateTime utcNow;
};

enum class Composition {
    Caption,    // the caption, unchanged
    Threshold,  // command number and one value
    PacketPair, // command number and two values, joined
    Elements,   // the orbital-elements upload
    Time,       // the clock-setting command
    FreeText,   // the free text, unchanged
};

struct CatalogueEntry {
    int index;           // the button's index, 0 to 27
    QStringView group;   // title of the group the button stands in
    QStringView name;    // the command's name on the label left of the button; empty if none
    QStringView caption; // the text on the button's face
    Composition composition;
    // The values a threshold or packet command takes.
    QString CommandValues::*firstValue = nullptr;
    QString CommandValues::*secondValue = nullptr;
    // How many characters each of those values' boxes holds.
    int valueLength = 0;
};

// Every entry, in the order the groups stand on the window and row by row
// within a group.
std::span<const CatalogueEntry> catalogue();

// The entry of a button index, or nullptr when no button has that index.
const CatalogueEntry* findCommand(int index);

// The entry of a command's name as its label shows it, a blank also written as
// "_" ("SET OLE" or "SET_OLE"), or nullptr.
const CatalogueEntry* findCommand(QStringView name);

} // namespace commands
