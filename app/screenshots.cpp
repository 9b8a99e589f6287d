// Renders the main window and the About box into PNG files in the directory
// given as the only argument. Run with QT_QPA_PLATFORM=offscreen.

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>

#include "runner_operations.h"
#include "about_box.h"
#include "main_window.h"
#include "resources.h"

namespace {

bool save(QWidget& widget, const QDir& directory, const char* name) {
    widget.show();
    QApplication::processEvents();
    const QString path = directory.filePath(QString::fromLatin1(name));
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "brisol-screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: brisol-screenshots DIRECTORY\n");
        return 2;
    }
    QApplication::setWindowIcon(brisol::application_icon());
    const QDir directory(QString::fromLocal8Bit(argv[1]));

    brisol::OperationRunner runner;
    brisol::RunnerOperations operations(runner);
    brisol::MainWindow window(operations);
    window.set_current_path(QStringLiteral("/home/user/report.txt"));
    brisol::AboutBox about(&window);
    const bool saved =
        save(window, directory, "main-window.png") && save(about, directory, "about-box.png");
    return saved ? 0 : 1;
}
