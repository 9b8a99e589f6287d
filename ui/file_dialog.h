#pragma once
// The open-file dialog of the main window. It remembers the filter last in use
// for the rest of the process. Tests queue the next answer instead of opening
// the real dialog.

#include <QString>
#include <QStringList>
#include <optional>

class QFileDialog;
class QWidget;

namespace brisol {

// The shared filters as Qt writes them: "Text (*.txt *.htm ...)". "*.*" is
// "*" here, so that names without a dot are listed too.
QStringList name_filters();

class FileDialog {
public:
    explicit FileDialog(QWidget* owner) : owner_(owner) {}

    // The chosen path, or nothing when the dialog was cancelled or failed. A
    // name that does not exist may be chosen.
    std::optional<QString> choose(const QString& current_path);

    // Sets up a dialog with the filters, the filter last used, the current
    // path as the initial name and the default suffix.
    void prepare(QFileDialog& dialog, const QString& current_path) const;
    // Keeps the filter of an accepted dialog for its next opening.
    void remember(const QFileDialog& dialog);

    // The next choose() answers with this path (or as cancelled) without
    // showing a dialog.
    void set_next_file_name(const QString& path) { next_answer_ = Answer{path}; }
    void set_next_cancelled() { next_answer_ = Answer{std::nullopt}; }

private:
    struct Answer {
        std::optional<QString> path;
    };

    QWidget* owner_;
    QString last_filter_;
    std::optional<Answer> next_answer_;
};

}  // namespace brisol
