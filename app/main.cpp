// Shows the main window, with the file named by the only argument (if one is
// given, as a desktop's "Open with" does) as the current path. The process
// ends with status 0 when the window is closed, after any running operation
// has been stopped and its worker has finished.

#include <QApplication>
#include <QFileInfo>
#include <string>
#include <vector>

#include "file_system.h"
#include "runner_operations.h"
#include "main_window.h"
#include "resources.h"

int main(int argc, char* argv[]) {
    brisol::keep_running_on_write_failures();
    QApplication app(argc, argv);
    QApplication::setWindowIcon(brisol::application_icon());

    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments().mid(1)) {
        arguments.push_back(argument.toStdString());
    }

    brisol::OperationRunner runner;
    brisol::RunnerOperations operations(runner);
    brisol::MainWindow window(operations);
    if (const auto path = brisol::startup_path(arguments)) {
        window.set_current_path(QFileInfo(QString::fromStdString(*path)).absoluteFilePath());
    }
    // Message boxes have no owner and may still be open; the program ends with
    // its window all the same.
    QObject::connect(&window, &QDialog::finished, &app, &QCoreApplication::quit);
    window.show();
    QApplication::exec();
    return 0;
}
