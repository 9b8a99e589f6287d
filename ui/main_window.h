#pragma once
// The program's only window: the password and extension fields, the buttons,
// the status bar and the drop target. It owns the current path, starts
// operations through the runner and is the sink the runner's worker reports to.

#include <QDialog>
#include <QString>
#include <memory>
#include <string>

#include "operation/operation_runner.h"
#include "ui/file_dialog.h"
#include "ui/message_boxes.h"

class QLineEdit;
class QPushButton;

namespace Ui {
class MainWindow;
}

namespace brisol {

class StatusBar;

// What a press of Crypt or Decrypt reads from the fields, as UTF-8. The
// password texts are wiped when the request is dropped.
struct OperationRequest {
    Direction direction = Direction::Crypt;
    std::string password1;
    std::string password2;
    std::string extension;  // read for Decrypt only

    OperationRequest() = default;
    OperationRequest(const OperationRequest&) = delete;
    OperationRequest& operator=(const OperationRequest&) = delete;
    ~OperationRequest();
};

class MainWindow : public QDialog, public CompletionSink {
    Q_OBJECT

public:
    // Fields are read with at most this many characters.
    static constexpr int kPasswordReadLength = 31;
    static constexpr int kExtensionReadLength = 5;

    explicit MainWindow(OperationRunner& runner, QWidget* parent = nullptr);
    ~MainWindow() override;

    // A file was chosen or dropped: it becomes the current path, Crypt and
    // Decrypt are enabled and the status bar shows it.
    void set_current_path(const QString& path);
    const QString& current_path() const { return current_path_; }

    void read_request(OperationRequest& request) const;

    FileDialog& file_dialog() { return file_dialog_; }
    MessageBoxes& message_boxes() { return message_boxes_; }
    const StatusBar& status_bar() const { return *status_bar_; }

    // CompletionSink: called on the worker's thread, carried out on the window's.
    void report_progress(std::uint64_t done, std::uint64_t total) override;
    void lock_controls() override;
    void show_completion(const OperationResult& result) override;

    // Closing the window in any way stops a running operation and waits for
    // its worker, so no partial output is left behind.
    void done(int result) override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void place_controls();
    void name_controls_for_screen_readers();
    void place_logo(QPoint position);
    void open_file();
    void start_operation(Direction direction);
    void open_about_box();
    void stop_operation();
    void refresh_file_status();
    void enable_operations();

    void on_progress(std::uint64_t done, std::uint64_t total);
    void on_lock();
    void on_completion(const OperationResult& result);

    QLineEdit* field(int id) const;
    QPushButton* button(int id) const;

    std::unique_ptr<Ui::MainWindow> form_;
    StatusBar* status_bar_ = nullptr;
    OperationRunner& runner_;
    FileDialog file_dialog_;
    MessageBoxes message_boxes_;
    QString current_path_;
    bool closed_ = false;
};

}  // namespace brisol
