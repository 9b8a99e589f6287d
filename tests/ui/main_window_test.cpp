#include <gtest/gtest.h>

#include <QAccessible>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <thread>
#include <utility>

#include "window_fixture.h"
#include "texts.h"

namespace brisol {
namespace {

const QString kFileOpenError = QString::fromLatin1(texts::kFileOpenError);
const QString kStatusPrefix = QString::fromLatin1(texts::kStatusFilePrefix);

// Every addressed control, the kind of widget standing for it and whether it
// is enabled when the window opens.
struct ControlRow {
    int id;
    const char* class_name;
    bool enabled_at_start;
};

const ControlRow kControls[] = {
    {kPassword1Id, "QLineEdit", true},
    {kPassword2Id, "QLineEdit", true},
    {kExtensionId, "QLineEdit", true},
    {kOpenFileId, "QPushButton", true},
    {kCryptId, "QPushButton", false},
    {kDecryptId, "QPushButton", false},
    {kInfoId, "QPushButton", true},
    {kQuitId, "QPushButton", true},
    {kStatusBarId, "brisol::StatusBar", true},
};

using StartUp = WindowTest;

TEST_F(StartUp, EveryControlIsFoundByItsIdAndOnlyCryptAndDecryptAreDisabled) {
    for (const ControlRow& row : kControls) {
        const QWidget* widget = control(row.id);
        ASSERT_NE(widget, nullptr) << "control " << row.id;
        EXPECT_TRUE(widget->inherits(row.class_name)) << "control " << row.id;
        EXPECT_EQ(widget->isEnabled(), row.enabled_at_start) << "control " << row.id;
    }
}

TEST_F(StartUp, FieldsStatusBarAndWindowKind) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("BRISOL 3.0"));
    EXPECT_EQ(field(kPassword1Id)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(field(kPassword2Id)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(field(kExtensionId)->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(field(kExtensionId)->text(), QStringLiteral(".src"));
    EXPECT_EQ(window.focusWidget(), field(kPassword1Id));

    EXPECT_EQ(file_status(), kStatusPrefix);
    EXPECT_EQ(window.status_bar().part_text(0), QString());
    EXPECT_EQ(window.status_bar().part_text(StatusBar::kProgressPart), QString());
    EXPECT_EQ(window.status_bar().part_geometry(0).right() + 1, 32);
    EXPECT_EQ(window.status_bar().part_geometry(1).right() + 1, 96);
    EXPECT_EQ(window.status_bar().part_geometry(2).right() + 1, window.width());
    EXPECT_EQ(window.status_bar().geometry().bottom() + 1, window.height());

    EXPECT_FALSE(window.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    for (const int id : {kOpenFileId, kCryptId, kDecryptId, kInfoId, kQuitId}) {
        EXPECT_FALSE(button(id)->isDefault()) << "button " << id;
    }
}

TEST_F(StartUp, TabGoesThroughTheControlsInTheirOrder) {
    const int expected[] = {kPassword1Id, kPassword2Id, kExtensionId, kOpenFileId,
                            kCryptId,     kDecryptId,   kInfoId,      kQuitId};
    QWidget* current = field(kPassword1Id);
    for (const int id : expected) {
        EXPECT_EQ(current, control(id)) << "expected control " << id;
        do {
            current = current->nextInFocusChain();
        } while (!(current->focusPolicy() & Qt::TabFocus));
    }
    EXPECT_EQ(current, field(kPassword1Id)) << "the order wraps around";
}

TEST_F(StartUp, ScreenReadersHearEachControlByItsLabel) {
    const std::pair<int, const char*> expected[] = {
        {kPassword1Id, "PASSWORD-1"},
        {kPassword2Id, "PASSWORD-2"},
        {kExtensionId, "Extension for encrypted file"},
        {kOpenFileId, "Open FILE..."},
        {kCryptId, "Crypt"},
        {kDecryptId, "Decrypt"},
        {kInfoId, "Info"},
        {kQuitId, "Quit"},
        {kStatusBarId, "Status"},
    };
    for (const auto& [id, name] : expected) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control(id));
        ASSERT_NE(accessible, nullptr) << "control " << id;
        EXPECT_EQ(accessible->text(QAccessible::Name), QString::fromLatin1(name))
            << "control " << id;
    }
}

using ChoosingAFile = WindowTest;

TEST_F(ChoosingAFile, AChosenFileBecomesTheCurrentPathAndEnablesTheOperations) {
    window.file_dialog().set_next_file_name(QStringLiteral("/data/report.txt"));
    button(kOpenFileId)->click();
    EXPECT_EQ(window.current_path(), QStringLiteral("/data/report.txt"));
    EXPECT_EQ(file_status(), kStatusPrefix + QStringLiteral("/data/report.txt"));
    EXPECT_TRUE(enabled(kCryptId));
    EXPECT_TRUE(enabled(kDecryptId));
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(ChoosingAFile, CancelSaysFileopenErrorKeepsThePathAndStillEnablesTheOperations) {
    for (const QString& earlier : {QString(), QStringLiteral("/data/earlier.txt")}) {
        if (!earlier.isEmpty()) {
            window.set_current_path(earlier);
        }
        const qsizetype messages_before = messages().size();
        window.file_dialog().set_next_cancelled();
        button(kOpenFileId)->click();
        EXPECT_EQ(messages().size(), messages_before + 1);
        EXPECT_EQ(messages().last(), kFileOpenError);
        EXPECT_EQ(window.current_path(), earlier);
        EXPECT_EQ(file_status(), kStatusPrefix + earlier);
        EXPECT_TRUE(enabled(kCryptId));
        EXPECT_TRUE(enabled(kDecryptId));
    }
}

TEST_F(ChoosingAFile, DroppingThreeFilesKeepsTheThird) {
    drop_files({QStringLiteral("/data/one.txt"), QStringLiteral("/data/two.txt"),
                QStringLiteral("/data/three.txt")});
    EXPECT_EQ(window.current_path(), QStringLiteral("/data/three.txt"));
    EXPECT_EQ(file_status(), kStatusPrefix + QStringLiteral("/data/three.txt"));
    EXPECT_TRUE(enabled(kCryptId));
    EXPECT_TRUE(enabled(kDecryptId));
}

TEST_F(ChoosingAFile, ALongPathLosesItsMiddleInTheStatusBarAndIsWholeInTheTip) {
    const QString longer = QStringLiteral("/data/") + QString(40, QLatin1Char('d')) +
                           QStringLiteral("/Отчёты/годовой отчёт.txt");
    for (const QString& path : {QStringLiteral("/data/report.txt"), longer}) {
        window.set_current_path(path);
        const QString whole = kStatusPrefix + path;
        const QString shown = window.status_bar().shown_text(StatusBar::kFilePart);
        const auto* part = window.status_bar().findChildren<QLabel*>().at(StatusBar::kFilePart);
        if (path == longer) {
            EXPECT_TRUE(shown.startsWith(kStatusPrefix + QStringLiteral("/da")) &&
                        shown.contains(QChar(0x2026)) &&
                        shown.endsWith(QStringLiteral("отчёт.txt")))
                << shown.toStdString();
            EXPECT_EQ(part->toolTip(), whole);
        } else {
            EXPECT_EQ(shown, whole);
            EXPECT_EQ(part->toolTip(), QString());
        }
    }
}

TEST_F(ChoosingAFile, DropsOfSomethingOtherThanFilesAreRefused) {
    QMimeData mime;
    mime.setText(QStringLiteral("/data/report.txt"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    EXPECT_FALSE(enter.isAccepted());
}

// What a press of Crypt or Decrypt hands to the runner.
struct RequestRow {
    const char* what;
    Direction direction;
    QString password1;
    QString password2;
    QString extension;
    std::string expected_password1;
    std::string expected_password2;
    std::string expected_extension;
};

const QString k40Letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMN");
const QString k35Cyrillic = QString(35, QChar(0x0436));  // ж, two bytes in UTF-8

const RequestRow kRequests[] = {
    {"passwords as typed", Direction::Crypt, QStringLiteral("one"), QStringLiteral("two"),
     QStringLiteral(".src"), "one", "two", ""},
    {"40 characters are read as 31", Direction::Crypt, k40Letters, QString(),
     QStringLiteral(".src"), "abcdefghijklmnopqrstuvwxyzABCDE", "", ""},
    {"31 characters, not 31 bytes", Direction::Crypt, QString(), k35Cyrillic,
     QStringLiteral(".src"), "", QString(31, QChar(0x0436)).toStdString(), ""},
    {"Decrypt reads the extension", Direction::Decrypt, QStringLiteral("a"), QStringLiteral("b"),
     QStringLiteral(".src"), "a", "b", ".src"},
    {"extension read with 5 characters", Direction::Decrypt, QString(), QString(),
     QStringLiteral(".jpeg2"), "", "", ".jpeg"},
    {"empty extension", Direction::Decrypt, QString(), QString(), QString(), "", "", ""},
};

using ReadingTheFields = WindowTest;

TEST_F(ReadingTheFields, PasswordsAndExtensionAreReadWithTheirLimits) {
    for (const RequestRow& row : kRequests) {
        field(kPassword1Id)->setText(row.password1);
        field(kPassword2Id)->setText(row.password2);
        field(kExtensionId)->setText(row.extension);
        OperationRequest request;
        request.direction = row.direction;
        window.read_request(request);
        EXPECT_EQ(request.password1, row.expected_password1) << row.what;
        EXPECT_EQ(request.password2, row.expected_password2) << row.what;
        EXPECT_EQ(request.extension, row.expected_extension) << row.what;
    }
}

using Keys = WindowTest;

TEST_F(Keys, EnterInAFieldStartsNothing) {
    window.set_current_path(QStringLiteral("/nonexistent/brisol-test/report.txt"));
    window.show();
    button(kCryptId)->setFocus();  // a focused button becomes default for the moment
    for (const int id : {kPassword1Id, kPassword2Id, kExtensionId}) {
        field(id)->setFocus();
        QTest::keyClick(field(id), Qt::Key_Return);
    }
    finish_operation();
    EXPECT_TRUE(messages().isEmpty()) << "a start would have been refused with a message";
    EXPECT_TRUE(window.isVisible());
}

TEST_F(Keys, EscapeQuitsLikeQuit) {
    window.show();
    QSignalSpy finished(&window, &QDialog::finished);
    QTest::keyClick(field(kPassword1Id), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(Keys, QuitEndsTheWindow) {
    window.show();
    QSignalSpy finished(&window, &QDialog::finished);
    button(kQuitId)->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(finished.count(), 1);
}

// The worker's side of the window, driven from a thread of our own as the
// runner's worker would.
using WorkerReports = WindowTest;

void from_worker(const std::function<void()>& calls) { std::thread(calls).join(); }

TEST_F(WorkerReports, ProgressShowsInTheMiddlePartUntilTheEnd) {
    window.set_current_path(QStringLiteral("/data/report.txt"));
    from_worker([&] { window.worker_sink().report_progress(50, 200); });
    QCoreApplication::processEvents();
    EXPECT_EQ(window.status_bar().part_text(StatusBar::kProgressPart), QStringLiteral("25%"));
    EXPECT_EQ(window.status_bar().part_text(0), QString());

    from_worker([&] {
        window.worker_sink().report_progress(200, 200);
        window.worker_sink().show_completion(
            OperationResult{OperationOutcome::Succeeded, {}, "/data/report.txt.bsl", 200, {}});
    });
    QCoreApplication::processEvents();
    EXPECT_EQ(window.status_bar().part_text(StatusBar::kProgressPart), QString());
    EXPECT_EQ(file_status(), kStatusPrefix + QStringLiteral("/data/report.txt"));
    for (const int id : kLockedControlIds) EXPECT_FALSE(enabled(id)) << "control " << id;
}

TEST_F(WorkerReports, AFailedOperationShowsItsMessageAndLocksNothing) {
    window.set_current_path(QStringLiteral("/data/report.txt"));
    const std::string reason = "Cannot write /data/report.txt.bsl: No space left on device";
    from_worker([&] {
        window.worker_sink().show_completion(
            OperationResult{OperationOutcome::Failed, reason, "/data/report.txt.bsl", 4096, {}});
    });
    QCoreApplication::processEvents();
    EXPECT_EQ(messages(), QStringList{QString::fromStdString(reason)});
    for (const ControlRow& row : kControls) {
        EXPECT_TRUE(enabled(row.id)) << "control " << row.id;
    }
}

TEST_F(WorkerReports, ARefusedStartShowsTheRunnersReasonAndChangesNothing) {
    window.set_current_path(QStringLiteral("/nonexistent/brisol-test/report.txt"));
    button(kCryptId)->click();
    finish_operation();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_FALSE(messages().first().isEmpty());
    for (const ControlRow& row : kControls) {
        EXPECT_TRUE(enabled(row.id)) << "control " << row.id;
    }
    EXPECT_EQ(window.current_path(), QStringLiteral("/nonexistent/brisol-test/report.txt"));
}

TEST(MessageBoxesShown, AreCaptionedBrisolWithAnOkButtonAndTheirIconAndNeitherOwnedNorBlocking) {
    const std::pair<MessageKind, QMessageBox::Icon> kinds[] = {
        {MessageKind::Information, QMessageBox::Information},
        {MessageKind::Warning, QMessageBox::Warning},
        {MessageKind::Error, QMessageBox::Critical},
    };
    for (const auto& [kind, icon] : kinds) {
        MessageBoxes boxes;
        boxes.inform(QString::fromLatin1(texts::kOperationCompleted), kind);
        const std::vector<QMessageBox*> open = boxes.open_boxes();
        ASSERT_EQ(open.size(), 1u);
        const QMessageBox& box = *open.front();
        EXPECT_EQ(box.windowTitle(), QStringLiteral("Brisol"));
        EXPECT_EQ(box.text(), QStringLiteral("Operation completed... OK"));
        EXPECT_EQ(box.icon(), icon);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box.parentWidget(), nullptr);
        EXPECT_EQ(box.windowModality(), Qt::NonModal);
    }
}

}  // namespace
}  // namespace brisol
