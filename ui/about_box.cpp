#include "about_box.h"

#include <QKeyEvent>
#include <QPushButton>

#include "control_names.h"
#include "qt_dialog_units.h"
#include "ui_about_box.h"

namespace brisol {

AboutBox::AboutBox(QWidget* owner) : QDialog(owner), form_(std::make_unique<Ui::AboutBox>()) {
    setFont(dialog_font());
    form_->setupUi(this);
    setWindowTitle(QString::fromLatin1(kAboutBoxTitle));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    const DialogBaseUnits units = base_units(font());
    const QRect box = to_qrect(kAboutBoxRect, units);
    setFixedSize(box.size());
    // The box is placed relative to its owner's client area.
    const QPoint offset = box.topLeft();
    move(owner != nullptr ? owner->mapToGlobal(offset) : offset);
    for (const ControlPlace& place : kAboutBoxPlaces) {
        QWidget* widget = findChild<QWidget*>(QString::fromLatin1(place.object_name));
        widget->setGeometry(to_qrect(place.rect, units));
        widget->setProperty("text", QString::fromLatin1(place.text));
    }

    auto* ok = findChild<QPushButton*>(control_name(kAboutOkId));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
}

AboutBox::~AboutBox() = default;

void AboutBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace brisol
