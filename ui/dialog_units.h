#pragma once
// Both windows are laid out in dialog units, so they keep their proportions
// with any font and screen scale: a horizontal unit is a quarter of the dialog
// font's average character width, a vertical unit an eighth of its height.

#include <QFont>
#include <QPoint>
#include <QRect>

namespace brisol {

struct DialogPoint {
    int x = 0;
    int y = 0;
};

struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Average character width and character height of the dialog font, in pixels.
struct DialogBaseUnits {
    int char_width = 0;
    int char_height = 0;
};

// "MS Sans Serif" 8 pt where installed, else the platform's sans-serif at 8 pt.
QFont dialog_font();

// The average width counts the 52 Latin letters and rounds to the nearest pixel.
DialogBaseUnits base_units(const QFont& font);

int horizontal_pixels(int dialog_units, DialogBaseUnits units);
int vertical_pixels(int dialog_units, DialogBaseUnits units);
QPoint to_pixels(DialogPoint point, DialogBaseUnits units);
QRect to_pixels(DialogRect rect, DialogBaseUnits units);

}  // namespace brisol
