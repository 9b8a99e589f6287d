#include "ui/dialog_units.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QString>

namespace brisol {
namespace {

constexpr int kDialogPointSize = 8;
constexpr auto kPreferredFamily = "MS Sans Serif";

// a * b / c rounded half away from zero, as dialog-unit conversion expects.
int scale_rounded(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

QFont dialog_font() {
    if (QFontDatabase::hasFamily(QString::fromLatin1(kPreferredFamily))) {
        return QFont(QString::fromLatin1(kPreferredFamily), kDialogPointSize);
    }
    QFont font(QStringLiteral("sans-serif"), kDialogPointSize);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

DialogBaseUnits base_units(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters_width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters_width / 26 + 1) / 2, metrics.height()};
}

int horizontal_pixels(int dialog_units, DialogBaseUnits units) {
    return scale_rounded(dialog_units, units.char_width, 4);
}

int vertical_pixels(int dialog_units, DialogBaseUnits units) {
    return scale_rounded(dialog_units, units.char_height, 8);
}

QPoint to_pixels(DialogPoint point, DialogBaseUnits units) {
    return {horizontal_pixels(point.x, units), vertical_pixels(point.y, units)};
}

QRect to_pixels(DialogRect rect, DialogBaseUnits units) {
    return {horizontal_pixels(rect.x, units), vertical_pixels(rect.y, units),
            horizontal_pixels(rect.width, units), vertical_pixels(rect.height, units)};
}

}  // namespace brisol
