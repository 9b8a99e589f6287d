#pragma once
// Dialog units (window/dialog_units.h) measured on a Qt font.

#include <QFont>
#include <QPoint>
#include <QRect>

#include "dialog_units.h"

namespace brisol {

// "MS Sans Serif" 8 pt where installed, else the platform's sans-serif at 8 pt.
QFont dialog_font();

// The average width counts the 52 Latin letters and rounds to the nearest pixel.
DialogBaseUnits base_units(const QFont& font);

QPoint to_pixels(DialogPoint point, DialogBaseUnits units);
QRect to_qrect(DialogRect rect, DialogBaseUnits units);

}  // namespace brisol
