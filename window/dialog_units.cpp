#include "dialog_units.h"

namespace brisol {
namespace {

// a * b / c rounded half away from zero.
int scale_rounded(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

DialogBaseUnits measured_base_units(int sample_width, int char_height) {
    // Half the width of a letter pair, rounded: the average over the sample.
    return {(sample_width / static_cast<int>(kWidthSample.size() / 2) + 1) / 2, char_height};
}

DialogRect to_pixels(DialogRect rect, DialogBaseUnits units) {
    return {horizontal_pixels(rect.x, units), vertical_pixels(rect.y, units),
            horizontal_pixels(rect.width, units), vertical_pixels(rect.height, units)};
}

int horizontal_pixels(int dialog_units, DialogBaseUnits units) {
    return scale_rounded(dialog_units, units.char_width, 4);
}

int vertical_pixels(int dialog_units, DialogBaseUnits units) {
    return scale_rounded(dialog_units, units.char_height, 8);
}

}  // namespace brisol
