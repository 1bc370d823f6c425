// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialerwindow.h"

#include "commands/composer.h"
#include "commands/elements.h"
#include "tones/toneplayer.h"
#include "ui/displays.h"
#include "ui_dialerwindow.h"

// The window's picture and icon are compiled into this library; a static
// library's resources are only linked in when something refers to them.
static void initAssets() {
    Q_INIT_RESOURCE(assets);
}

namespace ui {
namespace {

// The form gives each command button, its name label and its group the index of
// a command in the catalogue; their texts come from there.
constexpr const char* kCommandIndex = "commandIndex";

QFont face(const QString& family, double points, bool bold, QFont::StyleHint fallback) {
    QFont font(family);
    font.setPointSizeF(points);
    // The weight is always set: a font left without one takes the window's bold.
    font.setBold(bold);
    // Where the face is missing, the nearest of its kind.
    font.setStyleHint(fallback);
    return font;
}

} // namespace

DialerWindow::DialerWindow(const timecal::Clock& clock, WarningBox& warnings, const QLocale& locale,
                           QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      form_(std::make_unique<Ui::DialerWindow>()), clock_(clock), warnings_(warnings),
      locale_(locale), input_(*this) {
    initAssets();
    form_->setupUi(this);
    applyFonts();
    fillFromCatalogue();
    // These two boxes have the system's button face as their background, which
    // a form can only name as a fixed colour.
    for (QLineEdit* box : {form_->lastSent, form_->unusedNumber}) {
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        box->setPalette(palette);
    }

    connect(form_->commandButtons, &QButtonGroup::idClicked, this, &DialerWindow::sendCommand);
    for (QLineEdit* box :
         {form_->pointerIn, form_->pointerOut, form_->resendStart, form_->resendStop}) {
        connect(box, &QLineEdit::textChanged, this, [this, box] { packetBoxChanged(box); });
    }
    // A reset assigns both boxes in turn, and each assignment runs the change
    // handling, left box first.
    connect(form_->pointerReset, &QPushButton::clicked, this, [this] {
        form_->pointerIn->setText(QStringLiteral("00000"));
        form_->pointerOut->setText(QStringLiteral("00000"));
    });
    connect(form_->resendReset, &QPushButton::clicked, this, [this] {
        form_->resendStart->setText(QStringLiteral("00000"));
        form_->resendStop->setText(QStringLiteral("00000"));
    });
    connect(form_->elementSet, &QPlainTextEdit::textChanged, this,
            &DialerWindow::elementSetChanged);

    input_.setEscapeHandler([this] { emit stopRequested(); });
    clockTimer_.setParent(this);
    clockTimer_.setInterval(1000);
    connect(&clockTimer_, &QTimer::timeout, this, &DialerWindow::refreshClock);
    clockTimer_.start();
    form_->unusedNumber->setFocus();
}

DialerWindow::~DialerWindow() = default;

void DialerWindow::fillFromCatalogue() {
    // The value boxes hold as many characters as their commands take.
    const std::pair<QString commands::CommandValues::*, QLineEdit*> valueBoxes[] = {
        {&commands::CommandValues::lowTemp, form_->lowTempValue},
        {&commands::CommandValues::okTemp, form_->okTempValue},
        {&commands::CommandValues::lowBatt, form_->lowBattValue},
        {&commands::CommandValues::critBatt, form_->critBattValue},
        {&commands::CommandValues::pointerIn, form_->pointerIn},
        {&commands::CommandValues::pointerOut, form_->pointerOut},
        {&commands::CommandValues::resendStart, form_->resendStart},
        {&commands::CommandValues::resendStop, form_->resendStop},
    };
    for (const commands::CatalogueEntry& entry : commands::catalogue()) {
        for (const auto& [value, box] : valueBoxes) {
            if (entry.valueLength > 0 &&
                (entry.firstValue == value || entry.secondValue == value)) {
                box->setMaxLength(entry.valueLength);
            }
        }
    }
    for (QWidget* widget : findChildren<QWidget*>()) {
        const QVariant index = widget->property(kCommandIndex);
        const commands::CatalogueEntry* entry =
            index.isValid() ? commands::findCommand(index.toInt()) : nullptr;
        if (entry == nullptr) {
            continue;
        }
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->setText(entry->caption.toString());
            form_->commandButtons->setId(button, entry->index);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            label->setText(entry->name.toString());
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            group->setTitle(entry->group.toString());
        }
    }
}

void DialerWindow::applyFonts() {
    // The window's faces come in 9.75 and 8.25 points, and a form holds whole
    // points only: the fonts are set here.
    const QFont window = face(QStringLiteral("Tahoma"), 9.75, true, QFont::SansSerif);
    const QFont smallSans = face(QStringLiteral("MS Sans Serif"), 8.25, false, QFont::SansSerif);
    const QFont smallTahoma = face(QStringLiteral("Tahoma"), 8.25, false, QFont::SansSerif);
    setFont(window);
    for (QGroupBox* group : findChildren<QGroupBox*>()) {
        group->setFont(smallSans);
        // A group's font is for its title; what stands in it keeps the window's.
        for (QWidget* child : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            child->setFont(window);
        }
    }
    form_->lastSent->setFont(face(QStringLiteral("Courier New"), 9, false, QFont::TypeWriter));
    form_->elementSet->setFont(face(QStringLiteral("Courier New"), 9.75, false, QFont::TypeWriter));
    for (QWidget* widget : std::initializer_list<QWidget*>{
             form_->unusedText, form_->elementSetAge, form_->pointerReset, form_->resendReset}) {
        widget->setFont(smallSans);
    }
    for (QLabel* label : {form_->pointerInLabel, form_->pointerOutLabel, form_->resendStartLabel,
                          form_->resendStopLabel}) {
        label->setFont(smallTahoma);
    }
}

QAbstractButton* DialerWindow::commandButton(int index) const {
    return form_->commandButtons->button(index);
}

commands::CommandValues DialerWindow::currentValues() const {
    return {
        .lowTemp = form_->lowTempValue->text(),
        .okTemp = form_->okTempValue->text(),
        .lowBatt = form_->lowBattValue->text(),
        .critBatt = form_->critBattValue->text(),
        .pointerIn = form_->pointerIn->text(),
        .pointerOut = form_->pointerOut->text(),
        .resendStart = form_->resendStart->text(),
        .resendStop = form_->resendStop->text(),
        .freeText = form_->freeText->text(),
        .elementSet = form_->elementSet->toPlainText(),
        .utcNow = clock_.utcNow(),
    };
}

void DialerWindow::sendCommand(int index) {
    const commands::CatalogueEntry* entry = commands::findCommand(index);
    if (entry == nullptr || input_.isHeld()) {
        return;
    }
    const commands::ComposedCommand composed = commands::composeCommand(*entry, currentValues());
    if (!composed.refusal.isEmpty()) {
        // Nothing goes out, and the last-sent display keeps what it showed.
        warnings_.show(composed.refusal, QStringLiteral("Nothing sent"), {});
        return;
    }
    form_->lastSent->setText(commands::lastSentText(composed.command));
    // From here until the dial has finished, input to the window is dropped, not
    // queued for later; the window keeps painting.
    input_.hold();
    emit dialRequested(composed.command,
                       entry->name.isEmpty() ? QString() : entry->name.toString());
}

void DialerWindow::showToneFailure(const QString& reason) {
    // The reason is in the dialer's log; the operator's box says what it always has.
    Q_UNUSED(reason)
    warnings_.show(tones::kToneErrorText.toString(), tones::kToneErrorTitle.toString(),
                   [this] { emit toneFailureAcknowledged(); });
}

void DialerWindow::showDialRefusal(const QString& reason) {
    warnings_.show(QStringLiteral("Nothing was sent: ") + reason, QStringLiteral("Nothing sent"),
                   {});
}

void DialerWindow::showDialStopped(int sent, int symbols, const QString& notSent) {
    warnings_.show(QStringLiteral("Dialling stopped: %1 of %2 symbols went out; not sent: %3\n"
                                  "The spacecraft takes no command without its final \"#\".")
                       .arg(sent)
                       .arg(symbols)
                       .arg(notSent),
                   QStringLiteral("Dialling stopped"), {});
}

void DialerWindow::dialFinished() {
    // Input the window system delivers in the same turn of the event loop still
    // belongs to the dial, and is dropped too.
    QTimer::singleShot(0, this, [this] { input_.release(); });
}

void DialerWindow::packetBoxChanged(QLineEdit* box) {
    const bool pointerRow = box == form_->pointerIn || box == form_->pointerOut;
    QLineEdit* left = pointerRow ? form_->pointerIn : form_->resendStart;
    QLineEdit* right = pointerRow ? form_->pointerOut : form_->resendStop;
    const bool valid = packetRowValid(box->text(), left->text(), right->text(), pointerRow);
    for (QLineEdit* rowBox : {left, right}) {
        QPalette palette = rowBox->palette();
        palette.setColor(QPalette::Base, QColor(valid ? kRowValid : kRowInvalid));
        rowBox->setPalette(palette);
    }
}

void DialerWindow::elementSetChanged() {
    const commands::ElementSet set = commands::readElementSet(form_->elementSet->toPlainText());
    form_->elementSetAge->setText(elementSetAgeText(set.line1, clock_.localToday()));
}

void DialerWindow::refreshClock() {
    // While a command dials the clock stands still; it catches up at the next
    // tick after.
    if (!input_.isHeld()) {
        form_->utcClock->setText(clockText(clock_.utcNow(), locale_));
    }
}

} // namespace ui
