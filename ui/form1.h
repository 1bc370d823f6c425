#pragma once
// The dialer's only window: every command button, the boxes the commands take
// their values from, the displays and the one-second timer. Built from the
// layout table; most of it lies beyond the small client area and is reached
// with the keyboard.

#include "commands/composer.h"
#include "commands/elements.h"
#include "runtime/services.h"
#include "timecal/timezone.h"
#include "ui/inputblock.h"

#include <QHash>
#include <QLocale>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

class QPushButton;

namespace ui {

struct WindowServices {
    std::function<void(const QString&)> playCommandTones;
    const rt::Clock* clock = nullptr;              // the local clock
    const timecal::TimeZoneSource* zone = nullptr; // the time-zone settings
    QLocale locale = QLocale::system();            // the long date of the clock
};

class Form1 final : public QWidget, public commands::ControlAccess {
    Q_OBJECT
public:
    explicit Form1(WindowServices services, QWidget* parent = nullptr);
    ~Form1() override;

    // Control access by name.
    QString text(QStringView control) const override;
    void setText(QStringView control, const QString& text) override;
    QWidget* control(QStringView name) const;
    QPushButton* Command1(int index) const;
    // Names the catalogue and the window use that the layout lacks; none, or
    // the window would be built wrong.
    QStringList unknownControls() const;

    // Ordinal day of a date within its year.
    static qint32 DayOfYear(const rt::DateTime& ThisDate);

    // True while a command is being dialled.
    bool isDialling() const { return input_.isHeld(); }

    QTimer Timer1;

    void SendCommand(qint16 index);

private:
    void buildControls();
    void bindEvents();
    void packetBoxChanged(QStringView box);
    void elementSetChanged();
    void clockTick();
    QString buildElementsCommand() const;
    QString buildTimeCommand() const;
    void dial(const QString& command);

    WindowServices services_;
    QHash<QString, QWidget*> controls_;
    commands::ElementSet elements_;
    std::unique_ptr<commands::Composer> composer_;
    InputBlock input_;
};

} // namespace ui
