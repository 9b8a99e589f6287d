#include "file_dialog.h"

#include <QFileDialog>
#include <QStringList>

#include "texts.h"

namespace brisol {

QStringList name_filters() {
    QStringList filters;
    for (const texts::FileFilter& filter : texts::kFileFilters) {
        QString patterns = QString::fromLatin1(filter.patterns);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (patterns == QStringLiteral("*.*")) {
            patterns = QStringLiteral("*");
        }
        filters.append(QStringLiteral("%1 (%2)").arg(QString::fromLatin1(filter.name), patterns));
    }
    return filters;
}

std::optional<QString> FileDialog::choose(const QString& current_path) {
    if (next_answer_) {
        const Answer answer = *next_answer_;
        next_answer_.reset();
        return answer.path;
    }
    QFileDialog dialog(owner_);
    prepare(dialog, current_path);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    remember(dialog);
    return dialog.selectedFiles().constFirst();
}

void FileDialog::prepare(QFileDialog& dialog, const QString& current_path) const {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Any name is accepted here; one that does not exist fails when an
    // operation tries to open it, with a message naming it.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(name_filters());
    if (!last_filter_.isEmpty()) {
        dialog.selectNameFilter(last_filter_);
    }
    dialog.setDefaultSuffix(QString::fromLatin1(texts::kOpenDialogDefaultSuffix));
    if (!current_path.isEmpty()) {
        dialog.selectFile(current_path);
    }
}

void FileDialog::remember(const QFileDialog& dialog) { last_filter_ = dialog.selectedNameFilter(); }

}  // namespace brisol
