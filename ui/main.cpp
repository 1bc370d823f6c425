// SPDX-License-Identifier: GPL-3.0-or-later
// The dialer: one window, whose command buttons dial their DTMF commands
// through the sound output, from the tone files beside this program.

#include "ui/app.h"

int main(int argc, char** argv) {
    return ui::runDialer(argc, argv);
}
