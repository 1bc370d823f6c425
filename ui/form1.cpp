#include "ui/form1.h"

#include "commands/catalogue.h"
#include "commands/timecommand.h"
#include "timecal/calendar.h"
#include "timecal/utcclock.h"
#include "ui/displays.h"
#include "ui/layout.h"
#include "ui/widgetbuilder.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

// The window's picture and icon are compiled into this library; a static
// library's resources are only linked in when something refers to them.
static void initAssets() {
    Q_INIT_RESOURCE(assets);
}

namespace ui {

Form1::Form1(WindowServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      services_(std::move(services)), input_(*this) {
    initAssets();
    setWindowTitle(kCaption.toString());
    setFont(LayoutFont(FontId::Window));
    setWindowIcon(QIcon(QStringLiteral(":/assets/keypad.ico")));
    setFixedSize(kClientWidth / kTwipsPerPixel, kClientHeight / kTwipsPerPixel);
    buildControls();

    composer_ = std::make_unique<commands::Composer>(
        *this, [this](const QString& command) { dial(command); },
        [this] { return buildElementsCommand(); }, [this] { return buildTimeCommand(); });
    bindEvents();

    Timer1.setInterval(1000);
    Timer1.start();
    control(kFirstFocus)->setFocus();
}

Form1::~Form1() = default;

void Form1::buildControls() {
    controls_ = BuildControls(*this, Layout());
    Q_ASSERT_X(unknownControls().isEmpty(), "Form1",
               qPrintable("not in the layout: " + unknownControls().join(u' ')));
    // The last-sent box shows what went out; it is not for typing into.
    static_cast<QLineEdit*>(control(commands::kLastSentBox))->setReadOnly(true);

    const auto order = TabOrder();
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        setTabOrder(control(order[i]), control(order[i + 1]));
    }
}

void Form1::bindEvents() {
    for (const commands::CatalogueEntry& entry : commands::Catalogue()) {
        const qint16 index = entry.index;
        connect(Command1(index), &QPushButton::clicked, this,
                [this, index] { SendCommand(index); });
    }
    for (QStringView box : {kPointerIn, kPointerOut, kResendStart, kResendStop}) {
        const QString name = box.toString();
        connect(static_cast<QLineEdit*>(control(box)), &QLineEdit::textChanged, this,
                [this, name] { packetBoxChanged(name); });
    }
    // A reset assigns both boxes in turn; each assignment runs the change
    // handling, left box first.
    connect(static_cast<QPushButton*>(control(kPointerReset)), &QPushButton::clicked, this, [this] {
        setText(kPointerIn, QStringLiteral("00000"));
        setText(kPointerOut, QStringLiteral("00000"));
    });
    connect(static_cast<QPushButton*>(control(kResendReset)), &QPushButton::clicked, this, [this] {
        setText(kResendStart, QStringLiteral("00000"));
        setText(kResendStop, QStringLiteral("00000"));
    });
    connect(static_cast<QPlainTextEdit*>(control(kElementSetBox)), &QPlainTextEdit::textChanged,
            this, &Form1::elementSetChanged);
    connect(&Timer1, &QTimer::timeout, this, &Form1::clockTick);
}

QWidget* Form1::control(QStringView name) const {
    QWidget* w = controls_.value(name.toString());
    Q_ASSERT_X(w != nullptr, "Form1::control", qPrintable(name.toString()));
    return w;
}

QPushButton* Form1::Command1(int index) const {
    return static_cast<QPushButton*>(control(CommandButtonName(index)));
}

QStringList Form1::unknownControls() const {
    QStringList used{kPointerIn.toString(),
                     kPointerOut.toString(),
                     kResendStart.toString(),
                     kResendStop.toString(),
                     kPointerReset.toString(),
                     kResendReset.toString(),
                     kElementSetBox.toString(),
                     kClockBox.toString(),
                     kAgeLabel.toString(),
                     kFirstFocus.toString(),
                     commands::kLastSentBox.toString()};
    for (const commands::CatalogueEntry& entry : commands::Catalogue()) {
        used << CommandButtonName(entry.index);
        for (QStringView box : {entry.firstBox, entry.secondBox}) {
            if (!box.isEmpty()) {
                used << box.toString();
            }
        }
    }
    for (QStringView name : TabOrder()) {
        used << name.toString();
    }
    QStringList unknown;
    for (const QString& name : used) {
        if (!controls_.contains(name)) {
            unknown << name;
        }
    }
    return unknown;
}

QString Form1::text(QStringView control) const {
    QWidget* w = this->control(control);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        return edit->text();
    }
    if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
        return edit->toPlainText();
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QPushButton*>(w)) {
        return button->text();
    }
    if (auto* frame = qobject_cast<QGroupBox*>(w)) {
        return frame->title();
    }
    return {};
}

void Form1::setText(QStringView control, const QString& text) {
    QWidget* w = this->control(control);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        plain->setPlainText(text);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(text);
    }
}

qint32 Form1::DayOfYear(const rt::DateTime& ThisDate) {
    return timecal::DayOfYear(ThisDate);
}

void Form1::SendCommand(qint16 index) {
    if (!input_.isHeld()) {
        composer_->SendCommand(index);
    }
}

QString Form1::buildElementsCommand() const {
    return commands::BuildElementsCommand(elements_);
}

QString Form1::buildTimeCommand() const {
    return commands::BuildTimeCommand(Module2::GetUtcNow(*services_.zone, *services_.clock));
}

void Form1::packetBoxChanged(QStringView box) {
    const bool pointerRow = box == kPointerIn || box == kPointerOut;
    const QStringView left = pointerRow ? kPointerIn : kResendStart;
    const QStringView right = pointerRow ? kPointerOut : kResendStop;
    const bool valid = PacketRowValid(text(box), text(left), text(right), pointerRow);
    const QColor background = LayoutColour(valid ? kRowValid : kRowInvalid);
    for (QStringView name : {left, right}) {
        QWidget* w = control(name);
        QPalette p = w->palette();
        p.setColor(QPalette::Base, background);
        w->setPalette(p);
    }
}

void Form1::elementSetChanged() {
    // The element set is read before the age is worked out from it.
    elements_ = commands::ReadElementSet(text(kElementSetBox));
    setText(kAgeLabel, ElementSetAgeText(elements_.TleLine1, services_.clock->localNow().date()));
}

void Form1::clockTick() {
    // While a command is dialled the clock stands still; it catches up at the
    // next tick after.
    if (input_.isHeld()) {
        return;
    }
    setText(kClockBox,
            ClockText(Module2::GetUtcNow(*services_.zone, *services_.clock), services_.locale));
}

void Form1::dial(const QString& command) {
    // While the tones go out the window stays painted, but no input reaches it
    // and no second command can start: input that arrives meanwhile is dropped,
    // not queued for later.
    input_.hold();
    services_.playCommandTones(command);
    input_.release();
}

} // namespace ui
