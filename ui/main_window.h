#pragma once
// The Qt face of the main window: binds the shared rules (window/) to widgets
// built from main_window.ui; the worker's reports reach the rules through a
// queued call onto the window's thread.

#include <QDialog>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "file_dialog.h"
#include "message_boxes.h"
#include "main_window_rules.h"

class QLineEdit;
class QPushButton;

namespace Ui {
class MainWindow;
}

namespace brisol {

class StatusBar;

class MainWindow : public QDialog, private WindowControls {
    Q_OBJECT

public:
    explicit MainWindow(Operations& operations, QWidget* parent = nullptr);
    ~MainWindow() override;

    // A file was chosen or dropped: it becomes the current path, Crypt and
    // Decrypt are enabled and the status bar shows it.
    void set_current_path(const QString& path);
    QString current_path() const;

    void read_request(OperationRequest& request) const { rules_.read_request(request); }

    FileDialog& file_dialog() { return file_dialog_; }
    MessageBoxes& message_boxes() { return message_boxes_; }
    const StatusBar& status_bar() const { return *status_bar_; }

    // What the operations report to, from the worker's thread.
    CompletionSink& worker_sink() { return rules_.sink(); }

    // Closing the window in any way stops a running operation and waits for
    // its worker, so no partial output is left behind.
    void done(int result) override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // WindowControls
    void set_enabled(int id, bool enabled) override;
    void set_status_text(int part, const std::string& text) override;
    std::string field_text(int id) const override;
    FileChoice choose_file(const std::string& current_path) override;
    void inform(const Message& message) override;
    void show_about_box() override;
    void end_dialog() override;

    void place_controls();
    void name_controls_for_screen_readers();
    void place_logo(QPoint position);

    QLineEdit* field(int id) const;
    QPushButton* button(int id) const;

    std::unique_ptr<Ui::MainWindow> form_;
    StatusBar* status_bar_ = nullptr;
    FileDialog file_dialog_;
    MessageBoxes message_boxes_;
    MainWindowRules rules_;
};

}  // namespace brisol
