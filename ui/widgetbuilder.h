#pragma once
// Turns the layout table into widgets: one widget per row, placed in its
// container, named, with its font, colours and initial text.

#include "ui/layout.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QWidget>
#include <span>

namespace ui {

// A layout colour: 0xBBGGRR, or kButtonFace for the system's button face.
QColor LayoutColour(unsigned bgr);

QFont LayoutFont(FontId id);

// Builds every row's widget under `window`, containers before what they hold;
// the widgets by name.
QHash<QString, QWidget*> BuildControls(QWidget& window, std::span<const ControlRow> rows);

} // namespace ui
