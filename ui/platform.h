#pragma once
// The window's side of the platform services: the real message box and the
// fonts the window asks for.

#include "runtime/services.h"

#include <QPointer>
#include <QWidget>

namespace ui {

// The tone player's message box: modal for the whole application, exclamation
// icon, one OK button.
class QtMessageBox final : public rt::MessageBoxService {
public:
    void setParent(QWidget* parent) { parent_ = parent; }
    void showWarning(const QString& text, const QString& title) override;

private:
    QPointer<QWidget> parent_;
};

// Registers the metric-compatible Tahoma and MS Sans Serif faces that Debian's
// fonts-wine ships outside the font path, where they are installed.
void RegisterWindowFonts();

} // namespace ui
