// Shows the main window; the process ends with status 0 when it is closed,
// after any running operation has been stopped and its worker has finished.

#include <QApplication>

#include "operation/operation_runner.h"
#include "ui/main_window.h"
#include "ui/resources.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(brisol::application_icon());

    brisol::OperationRunner runner;
    brisol::MainWindow window(runner);
    // Message boxes have no owner and may still be open; the program ends with
    // its window all the same.
    QObject::connect(&window, &QDialog::finished, &app, &QCoreApplication::quit);
    window.show();
    QApplication::exec();
    return 0;
}
