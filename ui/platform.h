// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's side of the desktop: the warning box and the fonts the window
// asks for.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

namespace ui {

// A warning box: an exclamation icon, the text, the title and one OK button,
// modal for the whole program. It does not wait: `closed` runs once the
// operator has closed it.
class WarningBox {
public:
    virtual ~WarningBox() = default;
    virtual void show(const QString& text, const QString& title, std::function<void()> closed) = 0;
};

class QtWarningBox final : public WarningBox {
public:
    explicit QtWarningBox(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void show(const QString& text, const QString& title, std::function<void()> closed) override;

private:
    QPointer<QWidget> parent_;
};

// Registers the metric-compatible Tahoma and MS Sans Serif faces that Debian's
// fonts-wine ships outside the font path, where they are installed.
void registerWindowFonts();

} // namespace ui
