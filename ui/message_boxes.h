#pragma once
// Messages for the user: a box captioned "Brisol" with an OK button and the
// icon of its kind, owned by no window and not blocking the main window.
// Tests record the texts instead of showing boxes.

#include <QPointer>
#include <QString>
#include <QStringList>
#include <vector>

#include "main_window_rules.h"

class QMessageBox;

namespace brisol {

class MessageBoxes {
public:
    MessageBoxes() = default;
    ~MessageBoxes();  // closes boxes still open, so none outlives the window
    MessageBoxes(const MessageBoxes&) = delete;
    MessageBoxes& operator=(const MessageBoxes&) = delete;

    void inform(const QString& text, MessageKind kind);

    void record_instead_of_showing() { recording_ = true; }
    const QStringList& recorded() const { return recorded_; }
    // The boxes shown and not yet dismissed.
    std::vector<QMessageBox*> open_boxes() const;

private:
    bool recording_ = false;
    QStringList recorded_;
    std::vector<QPointer<QMessageBox>> boxes_;
};

}  // namespace brisol
