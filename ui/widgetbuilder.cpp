#include "ui/widgetbuilder.h"

#include "commands/catalogue.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <limits>

namespace ui {
namespace {

QRect pixels(const ControlRow& row) {
    return {row.left / kTwipsPerPixel, row.top / kTwipsPerPixel,
            std::max(1, row.width / kTwipsPerPixel), std::max(1, row.height / kTwipsPerPixel)};
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

} // namespace

QColor LayoutColour(unsigned bgr) {
    if (bgr == kButtonFace) {
        return QApplication::palette().color(QPalette::Button);
    }
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

QFont LayoutFont(FontId id) {
    const FontSpec& spec = kFonts[static_cast<int>(id)];
    QFont f(QString::fromLatin1(spec.family));
    f.setPointSizeF(spec.points);
    // Set the weight always: a font left unset takes the window's bold.
    f.setBold(spec.bold);
    f.setStyleHint(spec.fallback);
    return f;
}

namespace {

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
        p.setColor(backgroundRole, LayoutColour(row.background));
    }
    // Set every text colour explicitly, so that a frame's grey caption does not
    // pass on to the controls inside it.
    const QPalette app = QApplication::palette();
    const bool own = row.foreground != kDefaultColour;
    p.setColor(QPalette::WindowText,
               own ? LayoutColour(row.foreground) : app.color(QPalette::WindowText));
    p.setColor(QPalette::Text, app.color(QPalette::Text));
    p.setColor(QPalette::ButtonText, app.color(QPalette::ButtonText));
    w->setPalette(p);
}

} // namespace

QHash<QString, QWidget*> BuildControls(QWidget& window, std::span<const ControlRow> rows) {
    QHash<QString, QWidget*> controls;
    for (const ControlRow& row : rows) {
        QWidget* container =
            row.container.isEmpty() ? &window : controls.value(row.container.toString());
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
            w = new LineWidget(LayoutColour(row.foreground), container);
            break;
        }
        const QString name =
            row.kind == Kind::CommandButton ? CommandButtonName(row.command) : row.name.toString();
        w->setObjectName(name);
        w->setGeometry(pixels(row));
        w->setFont(LayoutFont(row.font));
        const bool isText = row.kind == Kind::TextBox || row.kind == Kind::MultiLineText;
        setColours(w, row, isText ? QPalette::Base : QPalette::Window);
        if (!isText && row.kind != Kind::Button && row.kind != Kind::CommandButton) {
            w->setFocusPolicy(Qt::NoFocus);
        }
        controls.insert(name, w);
    }
    return controls;
}

} // namespace ui
