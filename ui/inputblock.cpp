// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/inputblock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

namespace ui {
namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

} // namespace

void InputBlock::hold() {
    if (!held_) {
        held_ = true;
        QCoreApplication::instance()->installEventFilter(this);
    }
}

void InputBlock::release() {
    if (held_) {
        QCoreApplication::instance()->removeEventFilter(this);
        held_ = false;
    }
}

bool InputBlock::aimsAtWindow(QObject* watched) const {
    // Input from the window system reaches the window's native window first;
    // there a press would already move the focus before the widget sees it, so
    // it is stopped there. Input sent straight to a widget is stopped at the widget.
    if (auto* window = qobject_cast<QWindow*>(watched)) {
        return window == window_.windowHandle();
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget != nullptr && widget->window() == &window_;
}

bool InputBlock::eventFilter(QObject* watched, QEvent* event) {
    if (held_ && isUserInput(event->type()) && aimsAtWindow(watched)) {
        if (event->type() == QEvent::Close) {
            event->ignore();
        }
        if (event->type() == QEvent::KeyPress && onEscape_ &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            onEscape_();
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace ui
