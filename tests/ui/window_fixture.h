#pragma once
// A main window with its own runner, whose messages are recorded instead of
// shown, and helpers that act on it the way a user or the worker does.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "runner_operations.h"
#include "control_names.h"
#include "main_window.h"
#include "status_bar_widget.h"

namespace brisol {

class WindowTest : public ::testing::Test {
protected:
    WindowTest() { window.message_boxes().record_instead_of_showing(); }

    QWidget* control(int id) const { return window.findChild<QWidget*>(control_name(id)); }
    QLineEdit* field(int id) const { return window.findChild<QLineEdit*>(control_name(id)); }
    QPushButton* button(int id) const { return window.findChild<QPushButton*>(control_name(id)); }
    bool enabled(int id) const { return control(id)->isEnabled(); }
    QString file_status() const { return window.status_bar().part_text(StatusBar::kFilePart); }
    const QStringList& messages() { return window.message_boxes().recorded(); }

    // Waits for the running operation's worker and delivers what it reported.
    void finish_operation() {
        runner.wait();
        QCoreApplication::processEvents();
    }

    void drop_files(const QStringList& paths) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls.append(QUrl::fromLocalFile(path));
        }
        mime.setUrls(urls);
        const QPoint inside(window.width() / 2, window.height() / 2);
        QDragEnterEvent enter(inside, Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(inside, Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &drop);
    }

    OperationRunner runner;
    RunnerOperations operations{runner};
    MainWindow window{operations};
};

}  // namespace brisol
