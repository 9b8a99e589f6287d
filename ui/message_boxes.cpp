#include "message_boxes.h"

#include <QMessageBox>
#include <algorithm>

#include "texts.h"

namespace brisol {
namespace {

QMessageBox::Icon icon(MessageKind kind) {
    switch (kind) {
        case MessageKind::Information: return QMessageBox::Information;
        case MessageKind::Warning: return QMessageBox::Warning;
        case MessageKind::Error: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

MessageBoxes::~MessageBoxes() {
    for (const QPointer<QMessageBox>& box : boxes_) {
        delete box.data();
    }
}

void MessageBoxes::inform(const QString& text, MessageKind kind) {
    if (recording_) {
        recorded_.append(text);
        return;
    }
    std::erase_if(boxes_, [](const QPointer<QMessageBox>& box) { return box.isNull(); });
    auto* box = new QMessageBox(icon(kind), QString::fromLatin1(texts::kMessageCaption), text,
                                QMessageBox::Ok);
    // Messages name files, and a name is no markup.
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
    boxes_.emplace_back(box);
}

std::vector<QMessageBox*> MessageBoxes::open_boxes() const {
    std::vector<QMessageBox*> open;
    for (const QPointer<QMessageBox>& box : boxes_) {
        if (!box.isNull() && box->isVisible()) {
            open.push_back(box.data());
        }
    }
    return open;
}

}  // namespace brisol
