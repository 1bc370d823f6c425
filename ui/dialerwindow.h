// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The dialer's only window: every command button, the boxes the commands take
// their values from, the displays and the one-second clock. Laid out in
// dialerwindow.ui; most of it lies beyond the small client area and is reached
// with the keyboard. A press composes the command, shows it as last sent and
// asks for it to be dialled; until the dial has finished the window takes no
// input.

#include "commands/catalogue.h"
#include "timecal/clock.h"
#include "ui/inputblock.h"
#include "ui/platform.h"

#include <QLocale>
#include <QTimer>
#include <QWidget>
#include <memory>

class QAbstractButton;
class QLineEdit;

namespace Ui {
class DialerWindow;
}

namespace ui {

class DialerWindow final : public QWidget {
    Q_OBJECT
public:
    DialerWindow(const timecal::Clock& clock, WarningBox& warnings,
                 const QLocale& locale = QLocale::system(), QWidget* parent = nullptr);
    ~DialerWindow() override;

    // The form's controls, for tests and tools that look at the window.
    const Ui::DialerWindow& form() const { return *form_; }
    // The command button of a catalogue index, or nullptr.
    QAbstractButton* commandButton(int index) const;
    // True from a press until the dial it asked for has finished.
    bool isDialling() const { return input_.isHeld(); }

public slots:
    // One symbol did not go out: the operator is told, and the dial waits until
    // the message is closed (toneFailureAcknowledged).
    void showToneFailure(const QString& reason);
    // Nothing of the command was sent, and why.
    void showDialRefusal(const QString& reason);
    // The dial was stopped (Escape): what went out and what did not.
    void showDialStopped(int sent, int symbols, const QString& notSent);
    // The dial asked for has ended; the window takes input again.
    void dialFinished();

signals:
    // A command to dial, and the name of the button's command (a null string
    // for the free text); dialFinished() must follow.
    void dialRequested(const QString& command, const QString& name);
    void toneFailureAcknowledged();
    // The operator pressed Escape while a command was dialled.
    void stopRequested();

private:
    void fillFromCatalogue();
    void applyFonts();
    void sendCommand(int index);
    commands::CommandValues currentValues() const;
    void packetBoxChanged(QLineEdit* box);
    void elementSetChanged();
    void refreshClock();

    std::unique_ptr<Ui::DialerWindow> form_;
    const timecal::Clock& clock_;
    WarningBox& warnings_;
    QLocale locale_;
    QTimer clockTimer_;
    InputBlock input_;
};

} // namespace ui
