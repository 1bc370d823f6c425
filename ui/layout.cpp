#include "ui/layout.h"

#include <array>

namespace ui {
namespace {

using enum Kind;
using enum FontId;
using enum TextFrom;

// Frames and the controls placed directly on the window, then each frame's
// controls row by row. Labels that name a command and the frames take their
// captions from the command catalogue.
// clang-format off
constexpr ControlRow kLayout[] = {
    {u"Frame2", Frame, {}, 120, 120, 3975, 2535, Group, {}, 12, SansSmall, kDefaultColour, kGrey},
    {u"Frame7", Frame, {}, 4200, 120, 2895, 2535, Group, {}, 4, SansSmall, kDefaultColour, kGrey},
    {u"Frame1", Frame, {}, 13200, 240, 2775, 5655, Group, {}, 2, SansSmall, kDefaultColour, kGrey},
    {u"Frame5", Frame, {}, 3000, 4200, 6975, 855, Group, {}, 20, SansSmall, kDefaultColour, kGrey},
    {u"Frame8", Frame, {}, 3000, 5160, 6975, 735, Group, {}, 21, SansSmall, kDefaultColour, kGrey},
    {u"Frame6", Frame, {}, 120, 6000, 12615, 1095, Group, {}, 19, SansSmall, kDefaultColour, kGrey},
    {u"Frame3", Frame, {}, 13080, 6120, 2895, 2415, Group, {}, 13, SansSmall, kDefaultColour, kGrey},
    {u"Frame4", Frame, {}, 8760, 8760, 6975, 1335, Group, {}, 17, SansSmall, kDefaultColour, kGrey},

    {u"Image1", Picture, {}, 9000, 1680, 3735, 2325},
    {u"Text11", TextBox, {}, 120, 7200, 12615, 345, Row, u"last sent: ", -1, Courier9, kButtonFace},
    {u"txtNum", TextBox, {}, 840, 8040, 4575, 375, Row, {}, -1, Window, kButtonFace},
    {u"Text10", TextBox, {}, 840, 8640, 8415, 375, Row, u"Text10", -1, SansSmall},

    // Tresholds
    {u"Label10", Label, u"Frame2", 240, 360, 1575, 375, Name, {}, 12},
    {{}, CommandButton, u"Frame2", 2280, 360, 1455, 375, Caption, {}, 12},
    {u"Label11", Label, u"Frame2", 240, 840, 1455, 375, Name, {}, 11},
    {{}, CommandButton, u"Frame2", 2280, 840, 1455, 375, Caption, {}, 11},
    {u"Label12", Label, u"Frame2", 240, 1440, 1575, 375, Name, {}, 10},
    {{}, CommandButton, u"Frame2", 2280, 1440, 1455, 375, Caption, {}, 10},
    {u"Label13", Label, u"Frame2", 240, 1920, 1575, 375, Name, {}, 9},
    {{}, CommandButton, u"Frame2", 2280, 1920, 1455, 375, Caption, {}, 9},
    {u"Text1", TextBox, u"Frame2", 240, 2640, 615, 360, Row, u"200", -1, Window, kLightGrey, kDefaultColour, 3},
    {u"Text2", TextBox, u"Frame2", 240, 3000, 615, 360, Row, u"200", -1, Window, kLightGrey, kDefaultColour, 3},
    {u"Text3", TextBox, u"Frame2", 240, 3360, 615, 360, Row, u"178", -1, Window, kLightGrey, kDefaultColour, 3},
    {u"Text4", TextBox, u"Frame2", 240, 3720, 615, 360, Row, u"170", -1, Window, kLightGrey, kDefaultColour, 3},

    // Request Data
    {u"Label5", Label, u"Frame7", 240, 480, 1335, 375, Name, {}, 4},
    {{}, CommandButton, u"Frame7", 1680, 480, 975, 375, Caption, {}, 4},
    {u"Label6", Label, u"Frame7", 240, 960, 1335, 375, Name, {}, 5},
    {{}, CommandButton, u"Frame7", 1680, 960, 975, 375, Caption, {}, 5},
    {u"Label34", Label, u"Frame7", 240, 1920, 1215, 375, Name, {}, 22},
    {{}, CommandButton, u"Frame7", 1680, 1920, 975, 375, Caption, {}, 22},
    {u"Label33", Label, u"Frame7", 3600, 2640, 1215, 375, Name, {}, 23},
    {{}, CommandButton, u"Frame7", 4920, 2640, 975, 375, Caption, {}, 23},
    {u"Label30", Label, u"Frame7", 120, 2880, 1335, 375, Name, {}, 26},
    {{}, CommandButton, u"Frame7", 1440, 2880, 975, 375, Caption, {}, 26},
    {u"Label32", Label, u"Frame7", 3600, 3120, 1215, 375, Name, {}, 24},
    {{}, CommandButton, u"Frame7", 4920, 3120, 975, 375, Caption, {}, 24},
    {u"Label28", Label, u"Frame7", 120, 3360, 1335, 375, Name, {}, 27},
    {{}, CommandButton, u"Frame7", 1440, 3360, 975, 375, Caption, {}, 27},
    {u"Label31", Label, u"Frame7", 3600, 3600, 1215, 375, Name, {}, 25},
    {{}, CommandButton, u"Frame7", 4920, 3600, 975, 375, Caption, {}, 25},

    // System
    {u"Label3", Label, u"Frame1", 120, 360, 1215, 375, Name, {}, 2},
    {{}, CommandButton, u"Frame1", 1560, 360, 975, 375, Caption, {}, 2},
    {u"Label4", Label, u"Frame1", 120, 840, 1215, 375, Name, {}, 3},
    {{}, CommandButton, u"Frame1", 1560, 840, 975, 375, Caption, {}, 3},
    {u"Label7", Label, u"Frame1", 120, 2880, 1095, 375, Name, {}, 6},
    {{}, CommandButton, u"Frame1", 1560, 2880, 975, 375, Caption, {}, 6},
    {u"Label8", Label, u"Frame1", 120, 3360, 975, 375, Name, {}, 7},
    {{}, CommandButton, u"Frame1", 1560, 3360, 975, 375, Caption, {}, 7},
    {u"Label9", Label, u"Frame1", 120, 3840, 1095, 375, Name, {}, 8},
    {{}, CommandButton, u"Frame1", 1560, 3840, 975, 375, Caption, {}, 8},
    {u"Line1", Line, u"Frame1", 0, 4440, 2640, 15, Row, {}, -1, Window, kDefaultColour, kGrey},
    {u"Label1", Label, u"Frame1", 120, 4680, 1215, 375, Name, {}, 0},
    {{}, CommandButton, u"Frame1", 1560, 4680, 975, 375, Caption, {}, 0},
    {u"Label2", Label, u"Frame1", 120, 5160, 1215, 375, Name, {}, 1},
    {{}, CommandButton, u"Frame1", 1560, 5160, 975, 375, Caption, {}, 1},

    // Time
    {u"Label29", Label, u"Frame5", 120, 360, 975, 375, Name, {}, 20},
    {u"Text12", TextBox, u"Frame5", 1200, 360, 4095, 360, Row, {}, -1, Window, kLightGrey},
    {{}, CommandButton, u"Frame5", 5520, 360, 1215, 375, Caption, {}, 20},

    // manual
    {u"Text13", TextBox, u"Frame8", 1200, 240, 4095, 360, Row, {}, -1, Window, kLightGrey},
    {{}, CommandButton, u"Frame8", 5520, 240, 1215, 375, Caption, {}, 21},

    // OLE
    {u"Label25", Label, u"Frame6", 10800, 120, 1575, 255, Row, {}, -1, SansSmall, kDefaultColour, kGrey},
    {u"Label24", Label, u"Frame6", 240, 360, 1335, 255, Name, {}, 19},
    {u"Text9", MultiLineText, u"Frame6", 1560, 240, 9135, 600, Row, {}, -1, Courier975, kLightGrey},
    {{}, CommandButton, u"Frame6", 11160, 480, 1215, 375, Caption, {}, 19},

    // ADCS
    {u"Label17", Label, u"Frame3", 120, 360, 1575, 375, Name, {}, 13},
    {{}, CommandButton, u"Frame3", 1680, 360, 975, 375, Caption, {}, 13},
    {u"Label16", Label, u"Frame3", 120, 840, 1455, 375, Name, {}, 14},
    {{}, CommandButton, u"Frame3", 1680, 840, 975, 375, Caption, {}, 14},
    {u"Label15", Label, u"Frame3", 120, 1320, 1575, 375, Name, {}, 15},
    {{}, CommandButton, u"Frame3", 1680, 1320, 975, 375, Caption, {}, 15},
    {u"Label14", Label, u"Frame3", 120, 1920, 1575, 375, Name, {}, 16},
    {{}, CommandButton, u"Frame3", 1680, 1920, 975, 375, Caption, {}, 16},

    // Pointer
    {u"Label18", Label, u"Frame4", 240, 360, 1695, 375, Name, {}, 17},
    {u"Command2", Button, u"Frame4", 1920, 360, 255, 240, Row, u"C", -1, SansSmall},
    {u"Label19", Label, u"Frame4", 2520, 360, 255, 255, Row, u"IN", -1, TahomaSmall},
    {u"Text5", TextBox, u"Frame4", 2880, 360, 855, 360, Row, u"00000", -1, Window, kLightGrey, kDefaultColour, 5},
    {u"Label20", Label, u"Frame4", 3960, 360, 375, 255, Row, u"OUT", -1, TahomaSmall},
    {u"Text6", TextBox, u"Frame4", 4440, 360, 855, 360, Row, u"00000", -1, Window, kLightGrey, kDefaultColour, 5},
    {{}, CommandButton, u"Frame4", 5520, 360, 1215, 375, Caption, {}, 17},
    {u"Label21", Label, u"Frame4", 240, 840, 1695, 375, Name, {}, 18},
    {u"Command3", Button, u"Frame4", 1920, 840, 255, 240, Row, u"C", -1, SansSmall},
    {u"Label22", Label, u"Frame4", 2280, 840, 495, 255, Row, u"START", -1, TahomaSmall},
    {u"Text7", TextBox, u"Frame4", 2880, 840, 855, 360, Row, u"00000", -1, Window, kLightGrey, kDefaultColour, 5},
    {u"Label23", Label, u"Frame4", 3960, 840, 375, 255, Row, u"STOP", -1, TahomaSmall},
    {u"Text8", TextBox, u"Frame4", 4440, 840, 855, 360, Row, u"00000", -1, Window, kLightGrey, kDefaultColour, 5},
    {{}, CommandButton, u"Frame4", 5520, 840, 1215, 375, Caption, {}, 18},
};
// clang-format on

constexpr QStringView kTabOrder[] = {
    u"txtNum",       u"Command1(7)",  u"Command1(6)",  u"Command1(3)",  u"Command1(2)",
    u"Command1(8)",  u"Command1(9)",  u"Command1(10)", u"Command1(11)", u"Command1(12)",
    u"Text1",        u"Text4",        u"Text3",        u"Text2",        u"Command1(13)",
    u"Command1(14)", u"Command1(15)", u"Command1(16)", u"Command1(17)", u"Text5",
    u"Text6",        u"Command1(18)", u"Text7",        u"Text8",        u"Text12",
    u"Command1(20)", u"Command1(19)", u"Text9",        u"Text10",       u"Command1(22)",
    u"Command1(23)", u"Command1(24)", u"Command1(25)", u"Command1(26)", u"Command1(27)",
    u"Command1(0)",  u"Command1(1)",  u"Text11",       u"Text13",       u"Command1(21)",
    u"Command2",     u"Command3",     u"Command1(4)",  u"Command1(5)",
};

} // namespace

std::span<const ControlRow> Layout() {
    return kLayout;
}

std::span<const QStringView> TabOrder() {
    return kTabOrder;
}

QString CommandButtonName(int index) {
    return QStringLiteral("Command1(%1)").arg(index);
}

} // namespace ui
