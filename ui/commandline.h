// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's command line: the station settings for one run, and what the
// program is to do (open the window, or list the sound outputs). Needs no
// QCoreApplication: it is read before the program decides which kind to make.

#include "tones/station.h"

#include <QCommandLineParser>
#include <QStringList>

namespace ui {

struct CommandLine {
    enum class Action { Window, Send, List, ListOutputs, Help, Version, UsageError };
    Action action = Action::Window;
    QString send;     // with Send: what to send
    QString elements; // the element-set file ("-": standard input); empty: none
    QString logFile;  // the uplink log; empty: the settings' or the default
    QString error;    // with UsageError: what is wrong, in a line
    QString help;     // with Help: the text to print
};

// Reads `arguments` (argv, the program's name first) and lays the station
// options given over `station`.
CommandLine parseCommandLine(const QStringList& arguments, tones::StationSettings& station);

} // namespace ui
