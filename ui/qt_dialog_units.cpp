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
    const QString sample =
        QString::fromUtf8(kWidthSample.data(), static_cast<qsizetype>(kWidthSample.size()));
    return measured_base_units(metrics.horizontalAdvance(sample), metrics.height());
}

QPoint to_pixels(DialogPoint point, DialogBaseUnits units) {
    return {horizontal_pixels(point.x, units), vertical_pixels(point.y, units)};
}

QRect to_qrect(DialogRect rect, DialogBaseUnits units) {
    const DialogRect pixels = to_pixels(rect, units);
    return {pixels.x, pixels.y, pixels.width, pixels.height};
}

}  // namespace brisol
