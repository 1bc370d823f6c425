// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The whole program: the window, and the dialer on a thread of its own behind
// it, run until the window closes.

#include <functional>

class QWidget;

namespace ui {

struct RunHooks {
    // Called once the window has been painted for the first time.
    std::function<void(QWidget& window)> firstPaint;
};

int runDialer(int argc, char** argv, const RunHooks& hooks = {});

} // namespace ui
