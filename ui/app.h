#pragma once
// The whole program: the window, the tone player behind it and the sound
// output, run until the window closes.

#include <functional>

class QWidget;

namespace ui {

struct RunHooks {
    // Called once the window has been painted for the first time.
    std::function<void(QWidget& window)> firstPaint;
};

int RunDialer(int argc, char** argv, const RunHooks& hooks = {});

} // namespace ui
