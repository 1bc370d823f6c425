// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps the operator's input away from a window while it is held: clicks, keys,
// wheel and close requests aimed at the window are dropped, not queued for later,
// and change nothing (not the focus, not a text). The window keeps painting.

#include <QObject>
#include <functional>

class QWidget;

namespace ui {

class InputBlock final : public QObject {
public:
    explicit InputBlock(QWidget& window) : window_(window) {}

    // Escape is the one key with a meaning while input is held: it runs
    // `onEscape` (and is dropped like everything else).
    void setEscapeHandler(std::function<void()> onEscape) { onEscape_ = std::move(onEscape); }

    void hold();
    void release();
    bool isHeld() const { return held_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool aimsAtWindow(QObject* watched) const;

    QWidget& window_;
    std::function<void()> onEscape_;
    bool held_ = false;
};

} // namespace ui
