#pragma once
// Both windows are laid out in dialog units, so they keep their proportions
// with any font and screen scale: a horizontal unit is a quarter of the dialog
// font's average character width, a vertical unit an eighth of its height.

#include <string_view>

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
    friend bool operator==(const DialogRect&, const DialogRect&) = default;
};

// Average character width and character height of the dialog font, in pixels.
struct DialogBaseUnits {
    int char_width = 0;
    int char_height = 0;
};

// The letters whose average width is a font's character width.
inline constexpr std::string_view kWidthSample =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// The base units of a font on which kWidthSample is sample_width pixels wide
// and a line char_height pixels high.
DialogBaseUnits measured_base_units(int sample_width, int char_height);

// Rounded half away from zero, as dialog-unit conversion expects.
int horizontal_pixels(int dialog_units, DialogBaseUnits units);
int vertical_pixels(int dialog_units, DialogBaseUnits units);
DialogRect to_pixels(DialogRect rect, DialogBaseUnits units);

}  // namespace brisol
