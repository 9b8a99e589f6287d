#include "main_window.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPalette>
#include <QPushButton>
#include <QUrl>
#include <algorithm>
#include <utility>
#include <vector>

#include "secure_memory.h"
#include "about_box.h"
#include "control_names.h"
#include "qt_dialog_units.h"
#include "resources.h"
#include "status_bar_widget.h"
#include "ui_main_window.h"
#include "texts.h"

namespace brisol {
namespace {

constexpr auto kStatusBarName = "Status";

bool holds_local_files(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls()) {
        return false;
    }
    const QList<QUrl> urls = mime->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

}  // namespace

MainWindow::MainWindow(Operations& operations, QWidget* parent)
    : QDialog(parent),
      form_(std::make_unique<Ui::MainWindow>()),
      file_dialog_(this),
      rules_(operations, *this, [this] {
          QMetaObject::invokeMethod(
              this, [this] { rules_.run_queued(); }, Qt::QueuedConnection);
      }) {
    load_resources();
    setFont(dialog_font());
    form_->setupUi(this);
    setWindowTitle(QString::fromLatin1(kMainWindowTitle));
    // A fixed dialog with a close box and a system menu, but no minimise or
    // maximise button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    status_bar_ = findChild<StatusBar*>(control_name(kStatusBarId));
    place_controls();
    name_controls_for_screen_readers();

    // Files may be dropped anywhere on the window, the fields included.
    setAcceptDrops(true);
    for (const int id : {kPassword1Id, kPassword2Id, kExtensionId}) {
        field(id)->setAcceptDrops(false);
    }

    for (const int id : {kOpenFileId, kCryptId, kDecryptId, kInfoId, kQuitId}) {
        connect(button(id), &QPushButton::clicked, this, [this, id] { rules_.command(id); });
    }

    rules_.open();
    field(kPassword1Id)->setFocus();
}

MainWindow::~MainWindow() { rules_.close(); }

void MainWindow::place_controls() {
    const DialogBaseUnits units = base_units(font());
    move(to_pixels(DialogPoint{kMainWindowRect.x, kMainWindowRect.y}, units));
    setFixedSize(to_qrect(kMainWindowRect, units).size());

    place_logo(to_pixels(DialogPoint{kLogoRect.x, kLogoRect.y}, units));
    for (const ControlPlace& place : kMainWindowPlaces) {
        QWidget* widget = findChild<QWidget*>(QString::fromLatin1(place.object_name));
        widget->setGeometry(to_qrect(place.rect, units));
        widget->setProperty("text", QString::fromLatin1(place.text));
    }
    // A frame without a caption draws its top edge where a caption's middle
    // line would be, half a character below the rectangle's top.
    form_->frame->setGeometry(to_qrect(kFrameRect, units).adjusted(0, units.char_height / 2, 0, 0));
    status_bar_->dock_to_parent_bottom();
}

void MainWindow::name_controls_for_screen_readers() {
    // A field is announced by its label, without the label's colon; buttons
    // are announced by their own texts.
    const std::pair<QLabel*, int> labelled[] = {{form_->label_password1, kPassword1Id},
                                                {form_->label_password2, kPassword2Id},
                                                {form_->label_extension, kExtensionId}};
    for (const auto& [label, id] : labelled) {
        label->setBuddy(field(id));
        QString name = label->text();
        if (name.endsWith(QLatin1Char(':'))) name.chop(1);
        field(id)->setAccessibleName(name);
    }
    form_->logo->setAccessibleName(QString::fromLatin1(texts::kMessageCaption));
    status_bar_->setAccessibleName(QString::fromLatin1(kStatusBarName));
}

void MainWindow::place_logo(QPoint position) {
    // The picture keeps its own size. Where the window is wider than the
    // picture (a dialog font wider than the one it was drawn for), its band
    // runs on to the window's edge in the colour of the picture's right edge.
    QLabel* logo = form_->logo;
    const QImage picture = logo->pixmap().toImage();
    logo->setGeometry(QRect(
        position, QSize(std::max(picture.width(), width() - position.x()), picture.height())));
    if (!picture.isNull()) {
        QPalette palette = logo->palette();
        palette.setColor(QPalette::Window,
                         picture.pixelColor(picture.width() - 1, picture.height() / 2));
        logo->setPalette(palette);
        logo->setAutoFillBackground(true);
    }
}

QLineEdit* MainWindow::field(int id) const { return findChild<QLineEdit*>(control_name(id)); }

QPushButton* MainWindow::button(int id) const { return findChild<QPushButton*>(control_name(id)); }

void MainWindow::set_current_path(const QString& path) {
    rules_.set_current_path(path.toStdString());
}

QString MainWindow::current_path() const { return QString::fromStdString(rules_.current_path()); }

void MainWindow::set_enabled(int id, bool enabled) {
    findChild<QWidget*>(control_name(id))->setEnabled(enabled);
}

void MainWindow::set_status_text(int part, const std::string& text) {
    status_bar_->set_part_text(part, QString::fromStdString(text));
}

std::string MainWindow::field_text(int id) const {
    QByteArray bytes = field(id)->text().toUtf8();
    std::string text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    secure_wipe(bytes.data(), static_cast<std::size_t>(bytes.size()));
    return text;
}

FileChoice MainWindow::choose_file(const std::string& current_path) {
    const std::optional<QString> chosen = file_dialog_.choose(QString::fromStdString(current_path));
    if (!chosen) {
        return {};
    }
    return {chosen->toStdString()};
}

void MainWindow::inform(const Message& message) {
    message_boxes_.inform(QString::fromStdString(message.text), message.kind);
}

void MainWindow::show_about_box() {
    AboutBox about(this);
    about.exec();
}

void MainWindow::end_dialog() { reject(); }

void MainWindow::done(int result) {
    rules_.close();
    QDialog::done(result);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (holds_local_files(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (!holds_local_files(event->mimeData())) {
        return;
    }
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths.push_back(url.toLocalFile().toStdString());
        }
    }
    rules_.drop(paths);
    event->acceptProposedAction();
}

}  // namespace brisol
