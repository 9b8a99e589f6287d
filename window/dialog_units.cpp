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

int horizontal_pixels(int dialog_units, DialogBaseUnits units) {
    return scale_rounded(dialog_units, units.char_width, 4);
}

int vertical_pixels(int dialog_units, DialogBaseUnits units) {
    return scale_rounded(dialog_units, units.char_height, 8);
}

}  // namespace brisol
