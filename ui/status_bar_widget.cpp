#include "status_bar_widget.h"

#include <QLabel>
#include <QResizeEvent>

namespace brisol {
namespace {

// Room above and below the text inside the bar, and between two parts.
constexpr int kVerticalPadding = 3;
constexpr int kPartGap = 2;

}  // namespace

StatusBar::StatusBar(QWidget* parent) : QWidget(parent) {
    for (QLabel*& part : parts_) {
        part = new QLabel(this);
        part->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        part->setTextFormat(Qt::PlainText);
        part->setIndent(2);
    }
}

void StatusBar::set_part_text(int part, const QString& text) {
    texts_.at(part) = text;
    show_text(part);
}

QString StatusBar::part_text(int part) const { return texts_.at(part); }

QString StatusBar::shown_text(int part) const { return parts_.at(part)->text(); }

void StatusBar::show_text(int part) {
    QLabel* label = parts_.at(part);
    const QString& text = texts_.at(part);
    const QString shown = label->fontMetrics().elidedText(
        text, Qt::ElideMiddle, label->contentsRect().width() - label->indent());
    label->setText(shown);
    label->setToolTip(shown == text ? QString() : text);
}

QRect StatusBar::part_geometry(int part) const { return parts_.at(part)->geometry(); }

void StatusBar::dock_to_parent_bottom() {
    const QWidget* parent = parentWidget();
    if (parent == nullptr) {
        return;
    }
    const int height = fontMetrics().height() + 2 * kVerticalPadding;
    setGeometry(0, parent->height() - height, parent->width(), height);
    // A hidden widget hears of its new size only when shown; the parts are
    // placed at once so that they are right before that.
    place_parts();
}

void StatusBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place_parts();
}

void StatusBar::place_parts() {
    int left = 0;
    for (int part = 0; part < kPartCount; ++part) {
        const int right = part < static_cast<int>(kStatusPartRightEdges.size())
                              ? kStatusPartRightEdges.at(part)
                              : width();
        parts_.at(part)->setGeometry(left, kPartGap, right - left, height() - kPartGap);
        show_text(part);
        left = right + kPartGap;
    }
}

}  // namespace brisol
