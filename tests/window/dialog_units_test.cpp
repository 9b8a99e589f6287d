#include "dialog_units.h"

#include <gtest/gtest.h>

namespace brisol {
namespace {

// Rows computed by hand: x * char_width / 4 and y * char_height / 8, each
// rounded half away from zero. 6 x 13 are the base units of an 8-point
// "MS Sans Serif" dialog font at 96 dpi; 8 x 16 those of a larger font.
struct ConversionRow {
    DialogBaseUnits units;
    DialogRect dialog;
    DialogRect pixels;
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

// The average letter width of the 52-letter sample, rounded half up.
TEST(DialogUnits, TheCharacterWidthIsTheSamplesAverageRounded) {
    const struct {
        int sample_width;
        int char_width;
    } rows[] = {{312, 6}, {337, 6}, {338, 7}, {0, 0}};
    for (const auto& row : rows) {
        EXPECT_EQ(measured_base_units(row.sample_width, 13).char_width, row.char_width)
            << row.sample_width;
    }
}

}  // namespace
}  // namespace brisol
