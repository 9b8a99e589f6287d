#include "qt_dialog_units.h"

#include <gtest/gtest.h>

#include "control_names.h"

namespace brisol {
namespace {

// Rows computed by hand: x * char_width / 4 and y * char_height / 8, each
// rounded half away from zero. 6 x 13 are the base units of an 8-point
// "MS Sans Serif" dialog font at 96 dpi; 8 x 16 those of a larger font.
struct ConversionRow {
    DialogBaseUnits units;
    DialogRect dialog;
    QRect pixels;
};

const ConversionRow kConversions[] = {
    {{6, 13}, {0, 0, 180, 180}, {0, 0, 270, 293}},     // main window: 292.5 rounds up
    {{6, 13}, {7, 35, 165, 13}, {11, 57, 248, 21}},    // PASSWORD-1 field
    {{6, 13}, {100, 83, 25, 13}, {150, 135, 38, 21}},  // extension field: 37.5 rounds up
    {{6, 13}, {145, 62, 42, 14}, {218, 101, 63, 23}},  // About box Ok: 217.5, 100.75, 22.75
    {{8, 16}, {0, 0, 180, 180}, {0, 0, 360, 360}},     // larger font, same proportions
    {{7, 15}, {1, 1, 3, 5}, {2, 2, 5, 9}},             // 1.75, 1.875, 5.25, 9.375
};

TEST(DialogUnits, ConvertRectanglesFromTheFontsBaseUnits) {
    for (const ConversionRow& row : kConversions) {
        EXPECT_EQ(to_pixels(row.dialog, row.units), row.pixels)
            << "base units " << row.units.char_width << "x" << row.units.char_height << ", rect "
            << row.dialog.x << "," << row.dialog.y << "," << row.dialog.width << ","
            << row.dialog.height;
    }
}

TEST(DialogUnits, BaseUnitsFollowTheFontSize) {
    QFont small = dialog_font();
    QFont large = small;
    large.setPointSize(small.pointSize() * 2);
    const DialogBaseUnits small_units = base_units(small);
    const DialogBaseUnits large_units = base_units(large);
    EXPECT_GT(small_units.char_width, 0);
    EXPECT_GT(small_units.char_height, 0);
    EXPECT_GT(large_units.char_width, small_units.char_width);
    EXPECT_GT(large_units.char_height, small_units.char_height);
}

}  // namespace
}  // namespace brisol
