#include "qt_dialog_units.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QString>

#include "dialog_templates.h"

namespace brisol {

QFont dialog_font() {
    const QString preferred = QStringLiteral(BRISOL_DIALOG_FONT);
    if (QFontDatabase::hasFamily(preferred)) {
        return QFont(preferred, BRISOL_DIALOG_POINT_SIZE);
    }
    QFont font(QStringLiteral("sans-serif"), BRISOL_DIALOG_POINT_SIZE);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

DialogBaseUnits base_units(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters_width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters_width / 26 + 1) / 2, metrics.height()};
}

QPoint to_pixels(DialogPoint point, DialogBaseUnits units) {
    return {horizontal_pixels(point.x, units), vertical_pixels(point.y, units)};
}

QRect to_pixels(DialogRect rect, DialogBaseUnits units) {
    return {horizontal_pixels(rect.x, units), vertical_pixels(rect.y, units),
            horizontal_pixels(rect.width, units), vertical_pixels(rect.height, units)};
}

}  // namespace brisol
