#include "ui/form1.h"

#include "commands/catalogue.h"
#include "commands/timecommand.h"
#include "timecal/calendar.h"
#include "timecal/utcclock.h"
#include "ui/displays.h"
#include "ui/layout.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <limits>

// The window's picture and icon are compiled into this library; a static
// library's resources are only linked in when something refers to them.
static void initAssets() {
    Q_INIT_RESOURCE(assets);
}

namespace ui {
namespace {

QRect pixels(const ControlRow& row) {
    return {row.left / kTwipsPerPixel, row.top / kTwipsPerPixel,
            std::max(1, row.width / kTwipsPerPixel), std::max(1, row.height / kTwipsPerPixel)};
}

// Colours in the layout are 0xBBGGRR.
QColor colour(unsigned bgr) {
    if (bgr == kButtonFace) {
        return QApplication::palette().color(QPalette::Button);
    }
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

struct FontSpec {
    const char* family;
    double points;
    bool bold;
    QFont::StyleHint fallback; // where the face is missing, the nearest of its kind
};

// Indexed by FontId.
constexpr FontSpec kFonts[] = {
    {"Tahoma", 9.75, true, QFont::SansSerif},         // Window
    {"MS Sans Serif", 8.25, false, QFont::SansSerif}, // SansSmall
    {"Tahoma", 8.25, false, QFont::SansSerif},        // TahomaSmall
    {"Courier New", 9, false, QFont::TypeWriter},     // Courier9
    {"Courier New", 9.75, false, QFont::TypeWriter},  // Courier975
};

QFont fontOf(FontId id) {
    const FontSpec& spec = kFonts[static_cast<int>(id)];
    QFont f(QString::fromLatin1(spec.family));
    f.setPointSizeF(spec.points);
    // Set the weight always: a font left unset takes the window's bold.
    f.setBold(spec.bold);
    f.setStyleHint(spec.fallback);
    return f;
}

QString initialText(const ControlRow& row) {
    const commands::CatalogueEntry* entry =
        row.command >= 0 ? commands::FindCommand(qint16(row.command)) : nullptr;
    switch (row.from) {
    case TextFrom::Caption:
        return entry ? entry->caption.toString() : QString();
    case TextFrom::Name:
        return entry ? entry->name.toString() : QString();
    case TextFrom::Group:
        return entry ? entry->group.toString() : QString();
    case TextFrom::Row:
        break;
    }
    return row.text.toString();
}

// A straight line across its whole width.
class LineWidget final : public QWidget {
public:
    LineWidget(QColor c, QWidget* parent) : QWidget(parent), colour_(c) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(colour_);
        p.drawLine(0, 0, width(), 0);
    }

private:
    QColor colour_;
};

void setColours(QWidget* w, const ControlRow& row, QPalette::ColorRole backgroundRole) {
    QPalette p = w->palette();
    if (row.background != kDefaultColour) {
        p.setColor(backgroundRole, colour(row.background));
    }
    // Set every text colour explicitly, so that a frame's grey caption does not
    // pass on to the controls inside it.
    const QPalette app = QApplication::palette();
    const bool own = row.foreground != kDefaultColour;
    p.setColor(QPalette::WindowText,
               own ? colour(row.foreground) : app.color(QPalette::WindowText));
    p.setColor(QPalette::Text, app.color(QPalette::Text));
    p.setColor(QPalette::ButtonText, app.color(QPalette::ButtonText));
    w->setPalette(p);
}

} // namespace

Form1::Form1(WindowServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      services_(std::move(services)), input_(*this) {
    initAssets();
    setWindowTitle(kCaption.toString());
    setFont(fontOf(FontId::Window));
    setWindowIcon(QIcon(QStringLiteral(":/assets/keypad.ico")));
    setFixedSize(kClientWidth / kTwipsPerPixel, kClientHeight / kTwipsPerPixel);
    buildControls();

    composer_ = std::make_unique<commands::Composer>(
        *this, [this](const QString& command) { dial(command); },
        [this] { return buildElementsCommand(); }, [this] { return buildTimeCommand(); });
    bindEvents();

    Timer1.setInterval(1000);
    Timer1.start();
    control(u"txtNum")->setFocus();
}

Form1::~Form1() = default;

void Form1::buildControls() {
    for (const ControlRow& row : Layout()) {
        QWidget* container = row.container.isEmpty() ? this : control(row.container);
        const QString text = initialText(row);
        QWidget* w = nullptr;
        switch (row.kind) {
        case Kind::Frame: {
            auto* frame = new QGroupBox(text, container);
            w = frame;
            break;
        }
        case Kind::Label: {
            auto* label = new QLabel(text, container);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            w = label;
            break;
        }
        case Kind::Button:
        case Kind::CommandButton: {
            auto* button = new QPushButton(text, container);
            button->setAutoDefault(false);
            button->setDefault(false);
            w = button;
            break;
        }
        case Kind::TextBox: {
            auto* edit = new QLineEdit(text, container);
            // A box without a typing limit of its own takes any length: Qt's
            // default would cut a long paste silently.
            edit->setMaxLength(row.maxLength > 0 ? row.maxLength : std::numeric_limits<int>::max());
            w = edit;
            break;
        }
        case Kind::MultiLineText: {
            auto* edit = new QPlainTextEdit(text, container);
            edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            edit->setTabChangesFocus(true);
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
            w = edit;
            break;
        }
        case Kind::Picture: {
            auto* picture = new QLabel(container);
            picture->setPixmap(QPixmap(QStringLiteral(":/assets/satellite.jpg")));
            picture->setScaledContents(true);
            w = picture;
            break;
        }
        case Kind::Line:
            w = new LineWidget(colour(row.foreground), container);
            break;
        }
        const QString name =
            row.kind == Kind::CommandButton ? CommandButtonName(row.command) : row.name.toString();
        w->setObjectName(name);
        w->setGeometry(pixels(row));
        w->setFont(fontOf(row.font));
        const bool isText = row.kind == Kind::TextBox || row.kind == Kind::MultiLineText;
        setColours(w, row, isText ? QPalette::Base : QPalette::Window);
        if (!isText && row.kind != Kind::Button && row.kind != Kind::CommandButton) {
            w->setFocusPolicy(Qt::NoFocus);
        }
        controls_.insert(name, w);
    }
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
    for (QStringView box : {u"Text5", u"Text6", u"Text7", u"Text8"}) {
        const QString name = box.toString();
        connect(static_cast<QLineEdit*>(control(box)), &QLineEdit::textChanged, this,
                [this, name] { packetBoxChanged(name); });
    }
    // A reset assigns both boxes in turn; each assignment runs the change
    // handling, left box first.
    connect(static_cast<QPushButton*>(control(u"Command2")), &QPushButton::clicked, this, [this] {
        setText(u"Text5", QStringLiteral("00000"));
        setText(u"Text6", QStringLiteral("00000"));
    });
    connect(static_cast<QPushButton*>(control(u"Command3")), &QPushButton::clicked, this, [this] {
        setText(u"Text7", QStringLiteral("00000"));
        setText(u"Text8", QStringLiteral("00000"));
    });
    connect(static_cast<QPlainTextEdit*>(control(u"Text9")), &QPlainTextEdit::textChanged, this,
            &Form1::elementSetChanged);
    connect(&Timer1, &QTimer::timeout, this, &Form1::clockTick);
}

QWidget* Form1::control(QStringView name) const {
    return controls_.value(name.toString());
}

QPushButton* Form1::Command1(int index) const {
    return static_cast<QPushButton*>(controls_.value(CommandButtonName(index)));
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
    const bool pointerRow = box == u"Text5" || box == u"Text6";
    const QStringView left = pointerRow ? u"Text5" : u"Text7";
    const QStringView right = pointerRow ? u"Text6" : u"Text8";
    const bool valid = PacketRowValid(text(box), text(left), text(right), pointerRow);
    const QColor background(valid ? kRowValid : kRowInvalid);
    for (QStringView name : {left, right}) {
        QWidget* w = control(name);
        QPalette p = w->palette();
        p.setColor(QPalette::Base, background);
        w->setPalette(p);
    }
}

void Form1::elementSetChanged() {
    // The element set is read before the age is worked out from it.
    elements_ = commands::ReadElementSet(text(u"Text9"));
    setText(u"Label25", ElementSetAgeText(elements_.TleLine1, services_.clock->localNow().date()));
}

void Form1::clockTick() {
    // While a command is dialled the clock stands still; it catches up at the
    // next tick after.
    if (input_.isHeld()) {
        return;
    }
    setText(u"Text12",
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
