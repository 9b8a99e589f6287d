#include "qt_dialog_units.h"

#include <gtest/gtest.h>

#include "control_names.h"

namespace brisol {
namespace {

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
