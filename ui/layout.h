#pragma once
// The window's layout as data: one row per control. Positions and sizes are in
// twips (15 twips make one pixel), measured from the control's container.

#include <QString>
#include <QStringView>
#include <span>

namespace ui {

enum class Kind { Frame, Label, Button, CommandButton, TextBox, MultiLineText, Picture, Line };

enum class FontId {
    Window,      // Tahoma 9.75 pt bold: every control without a font of its own
    SansSmall,   // MS Sans Serif 8.25 pt
    TahomaSmall, // Tahoma 8.25 pt
    Courier9,    // Courier New 9 pt
    Courier975,  // Courier New 9.75 pt
};

// Where a control's initial text comes from: the row itself, or the command
// catalogue entry of `command` (its caption, command name or group).
enum class TextFrom { Row, Caption, Name, Group };

inline constexpr unsigned kDefaultColour = 0xFFFFFFFF;
inline constexpr unsigned kButtonFace = 0x8000000F;
inline constexpr unsigned kLightGrey = 0xE0E0E0;
inline constexpr unsigned kGrey = 0x808080;

struct ControlRow {
    QStringView name; // empty for command buttons: named by their index
    Kind kind;
    QStringView container; // empty: the window itself
    int left, top, width, height;
    TextFrom from = TextFrom::Row;
    QStringView text = {};
    int command = -1; // catalogue index the text is taken from, for buttons the index
    FontId font = FontId::Window;
    unsigned background = kDefaultColour; // 0xBBGGRR, kButtonFace or default
    unsigned foreground = kDefaultColour;
    int maxLength = 0; // typed characters, 0: no limit
};

std::span<const ControlRow> Layout();

// The controls that take the keyboard focus, in tab order.
std::span<const QStringView> TabOrder();

inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kClientWidth = 7245;
inline constexpr int kClientHeight = 2805;
inline constexpr QStringView kCaption = u"KESTREL DTMF Dialer  public (VELMO)";

// The controls the window's own handlers use by name; the commands' value boxes
// are named in the command catalogue.
inline constexpr QStringView kPointerIn = u"Text5";
inline constexpr QStringView kPointerOut = u"Text6";
inline constexpr QStringView kResendStart = u"Text7";
inline constexpr QStringView kResendStop = u"Text8";
inline constexpr QStringView kPointerReset = u"Command2";
inline constexpr QStringView kResendReset = u"Command3";
inline constexpr QStringView kElementSetBox = u"Text9";
inline constexpr QStringView kClockBox = u"Text12";
inline constexpr QStringView kAgeLabel = u"Label25";
inline constexpr QStringView kFirstFocus = u"txtNum";

// "Command1(7)" for the button of index 7.
QString CommandButtonName(int index);

} // namespace ui
