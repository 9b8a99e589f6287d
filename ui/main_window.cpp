#include "ui/main_window.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPalette>
#include <QPushButton>
#include <QUrl>
#include <algorithm>
#include <utility>

#include "cipher/secure_memory.h"
#include "operation/messages.h"
#include "ui/about_box.h"
#include "ui/controls.h"
#include "ui/dialog_units.h"
#include "ui/resources.h"
#include "ui/status_bar.h"
#include "ui/texts.h"
#include "ui_main_window.h"

namespace brisol {
namespace {

std::string read_field(const QLineEdit& field, int max_chars) {
    QByteArray bytes = field.text().left(max_chars).toUtf8();
    std::string text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    secure_wipe(bytes.data(), static_cast<std::size_t>(bytes.size()));
    return text;
}

void wipe(std::string& text) {
    secure_wipe(text.data(), text.size());
    text.clear();
}

bool holds_local_files(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls()) {
        return false;
    }
    const QList<QUrl> urls = mime->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

}  // namespace

OperationRequest::~OperationRequest() {
    wipe(password1);
    wipe(password2);
    wipe(extension);
}

MainWindow::MainWindow(OperationRunner& runner, QWidget* parent)
    : QDialog(parent),
      form_(std::make_unique<Ui::MainWindow>()),
      runner_(runner),
      file_dialog_(this) {
    load_resources();
    setFont(dialog_font());
    form_->setupUi(this);
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

    connect(button(kOpenFileId), &QPushButton::clicked, this, &MainWindow::open_file);
    connect(button(kCryptId), &QPushButton::clicked, this,
            [this] { start_operation(Direction::Crypt); });
    connect(button(kDecryptId), &QPushButton::clicked, this,
            [this] { start_operation(Direction::Decrypt); });
    connect(button(kInfoId), &QPushButton::clicked, this, &MainWindow::open_about_box);
    connect(button(kQuitId), &QPushButton::clicked, this, &QDialog::reject);

    refresh_file_status();
    field(kPassword1Id)->setFocus();
}

MainWindow::~MainWindow() { stop_operation(); }

void MainWindow::place_controls() {
    const DialogBaseUnits units = base_units(font());
    move(to_pixels(DialogPoint{kMainWindowRect.x, kMainWindowRect.y}, units));
    setFixedSize(to_pixels(kMainWindowRect, units).size());

    place_logo(to_pixels(kLogoPosition, units));
    for (const ControlPlace& place : kMainWindowPlaces) {
        findChild<QWidget*>(QString::fromLatin1(place.object_name))
            ->setGeometry(to_pixels(place.rect, units));
    }
    // A frame without a caption draws its top edge where a caption's middle
    // line would be, half a character below the rectangle's top.
    form_->frame->setGeometry(
        to_pixels(kFrameRect, units).adjusted(0, units.char_height / 2, 0, 0));
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
    status_bar_->setAccessibleName(QString::fromLatin1(texts::kStatusBarName));
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
    current_path_ = path;
    enable_operations();
    refresh_file_status();
}

void MainWindow::enable_operations() {
    button(kDecryptId)->setEnabled(true);
    button(kCryptId)->setEnabled(true);
}

void MainWindow::refresh_file_status() {
    status_bar_->set_part_text(StatusBar::kFilePart,
                               QString::fromLatin1(texts::kStatusFilePrefix) + current_path_);
}

void MainWindow::open_file() {
    if (const std::optional<QString> chosen = file_dialog_.choose(current_path_)) {
        current_path_ = *chosen;
    } else {
        message_boxes_.inform(QString::fromLatin1(texts::kFileOpenError));
    }
    enable_operations();
    refresh_file_status();
}

void MainWindow::read_request(OperationRequest& request) const {
    request.password1 = read_field(*field(kPassword1Id), kPasswordReadLength);
    request.password2 = read_field(*field(kPassword2Id), kPasswordReadLength);
    if (request.direction == Direction::Decrypt) {
        request.extension = read_field(*field(kExtensionId), kExtensionReadLength);
    }
}

void MainWindow::start_operation(Direction direction) {
    OperationRequest request;
    request.direction = direction;
    read_request(request);
    const StartResult result =
        runner_.start(direction, QFile::encodeName(current_path_).toStdString(), request.password1,
                      request.password2, request.extension, *this);
    if (!result.started) {
        message_boxes_.inform(QString::fromStdString(result.message));
    }
}

void MainWindow::open_about_box() {
    AboutBox about(this);
    about.exec();
}

void MainWindow::stop_operation() {
    if (runner_.busy()) {
        runner_.cancel();
    }
    runner_.wait();
}

void MainWindow::done(int result) {
    stop_operation();
    closed_ = true;
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
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            set_current_path(url.toLocalFile());
        }
    }
    event->acceptProposedAction();
}

// The worker's calls are queued to the window's thread in the order they were
// made, so the controls are locked before the completion message appears.
void MainWindow::report_progress(std::uint64_t done, std::uint64_t total) {
    QMetaObject::invokeMethod(
        this, [this, done, total] { on_progress(done, total); }, Qt::QueuedConnection);
}

void MainWindow::lock_controls() {
    QMetaObject::invokeMethod(
        this, [this] { on_lock(); }, Qt::QueuedConnection);
}

void MainWindow::show_completion(const OperationResult& result) {
    QMetaObject::invokeMethod(
        this, [this, result] { on_completion(result); }, Qt::QueuedConnection);
}

void MainWindow::on_progress(std::uint64_t done, std::uint64_t total) {
    const int percent =
        total == 0
            ? 100
            : static_cast<int>(static_cast<double>(done) / static_cast<double>(total) * 100.0);
    status_bar_->set_part_text(StatusBar::kProgressPart,
                               QString::fromLatin1(texts::kProgressPercent).arg(percent));
}

void MainWindow::on_lock() {
    for (const int id : kLockedControlIds) {
        findChild<QWidget*>(control_name(id))->setEnabled(false);
    }
}

void MainWindow::on_completion(const OperationResult& result) {
    status_bar_->set_part_text(StatusBar::kProgressPart, QString());
    if (closed_) {
        return;
    }
    switch (result.outcome) {
        case OperationOutcome::Succeeded: {
            QString text = QString::fromLatin1(texts::kOperationCompleted);
            if (const std::string note = messages::content_note(result.content); !note.empty())
                text += QStringLiteral("\n\n") + QString::fromStdString(note);
            message_boxes_.inform(text);
            break;
        }
        case OperationOutcome::Failed:
            message_boxes_.inform(QString::fromStdString(result.message));
            break;
        case OperationOutcome::Cancelled:
            // Only closing the window cancels, and then nobody is left to tell.
            break;
    }
}

}  // namespace brisol
