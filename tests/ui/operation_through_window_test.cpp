// Whole operations through the window with the real runner on real files.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <vector>

#include "../cipher/memory_stream.h"
#include "chunk_pipeline.h"
#include "messages.h"
#include "window_fixture.h"
#include "texts.h"

namespace brisol {
namespace {

const QString kCompleted = QString::fromLatin1(texts::kOperationCompleted);

// Big enough that an operation is still running when the test acts next,
// however fast the machine.
constexpr qsizetype kLongInputSize = 32 * 1024 * 1024;

QByteArray sample_bytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 131 + i / 512) & 0xff);
    }
    return bytes;
}

void write_file(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray read_file(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The encrypted file as the cipher core makes it for the first operation of a
// process.
QByteArray encrypted(const QByteArray& plain, std::string_view password1,
                     std::string_view password2) {
    GostLayer gost(make_password_key(password1));
    Rc4Layer rc4(make_password_key(password2));
    const auto* data = reinterpret_cast<const std::uint8_t*>(plain.constData());
    MemorySource source(
        std::span<const std::uint8_t>(data, static_cast<std::size_t>(plain.size())));
    MemorySink sink;
    ChunkBuffer buffer;
    ChunkPipeline{gost, rc4}.run(Direction::Crypt, source, sink, buffer);
    return QByteArray(reinterpret_cast<const char*>(sink.data.data()),
                      static_cast<qsizetype>(sink.data.size()));
}

class OperationThroughWindow : public WindowTest {
protected:
    void choose(const QString& path) {
        window.file_dialog().set_next_file_name(path);
        button(kOpenFileId)->click();
    }

    void type_passwords(const QString& password1, const QString& password2) {
        field(kPassword1Id)->setText(password1);
        field(kPassword2Id)->setText(password2);
    }

    QString path(const char* name) const { return directory.filePath(QString::fromLatin1(name)); }

    QTemporaryDir directory;
};

TEST_F(OperationThroughWindow, CryptWritesTheEncryptedFileThenLocksExactlyTheListedControls) {
    const QByteArray plain = sample_bytes(5000);  // nine full chunks and a tail
    write_file(path("report.txt"), plain);
    choose(path("report.txt"));
    type_passwords(QStringLiteral("first secret"), QStringLiteral("second secret"));

    button(kCryptId)->click();
    finish_operation();

    EXPECT_EQ(read_file(path("report.txt.bsl")), encrypted(plain, "first secret", "second secret"));
    EXPECT_EQ(read_file(path("report.txt")), plain) << "the input is never changed";
    EXPECT_EQ(messages(), QStringList{kCompleted});
    EXPECT_EQ(window.status_bar().part_text(StatusBar::kProgressPart), QString());
    for (const int id : kLockedControlIds) {
        EXPECT_FALSE(enabled(id)) << "control " << id;
    }
    for (const int id : {kExtensionId, kInfoId, kQuitId}) {
        EXPECT_TRUE(enabled(id)) << "control " << id;
    }
    EXPECT_EQ(field(kPassword1Id)->text(), QStringLiteral("first secret"))
        << "locked fields keep their text";
}

TEST_F(OperationThroughWindow, AfterTheLockADropEnablesOnlyCryptAndDecryptAndInfoAndQuitWork) {
    write_file(path("report.txt"), sample_bytes(700));
    choose(path("report.txt"));
    button(kCryptId)->click();
    finish_operation();
    ASSERT_FALSE(enabled(kCryptId));

    drop_files({path("report.txt.bsl")});
    EXPECT_TRUE(enabled(kCryptId));
    EXPECT_TRUE(enabled(kDecryptId));
    for (const int id : {kOpenFileId, kPassword1Id, kPassword2Id}) {
        EXPECT_FALSE(enabled(id)) << "control " << id;
    }

    window.show();
    bool about_opened = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* about = QApplication::activeModalWidget()) {
            about_opened = about->windowTitle() == QStringLiteral("About Brisol");
            about->close();
        }
    });
    button(kInfoId)->click();
    EXPECT_TRUE(about_opened);

    button(kQuitId)->click();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(OperationThroughWindow, DecryptNamesTheOutputFromTheFirstFiveCharactersOfTheExtension) {
    const QByteArray plain = sample_bytes(1500);
    write_file(path("photo.bsl"), encrypted(plain, "k1", "k2"));
    choose(path("photo.bsl"));
    type_passwords(QStringLiteral("k1"), QStringLiteral("k2"));
    field(kExtensionId)->setText(QStringLiteral(".jpeg2"));

    button(kDecryptId)->click();
    finish_operation();

    EXPECT_EQ(read_file(path("photo.bsl.jpeg")), plain);
    EXPECT_FALSE(QFile::exists(path("photo.bsl.jpeg2")));
    EXPECT_EQ(messages(), QStringList{kCompleted});
}

TEST_F(OperationThroughWindow, DecryptSaysWhatTheResultLooksLikeAndAWrongPasswordCanBeRetyped) {
    const QByteArray pdf = QByteArrayLiteral("%PDF-1.7\n") + sample_bytes(3000);
    write_file(path("doc.bsl"), encrypted(pdf, "k1", "k2"));
    const QString below = QStringLiteral("\n\n");
    const struct {
        const char* password2;
        QString message;
        bool unlocked;
    } cases[] = {
        {"wrong",
         kCompleted + below + QString::fromLatin1(messages::kLooksRandom) + below +
             QString::fromLatin1(texts::kTryOtherPasswords),
         true},
        {"k2", kCompleted + below + QStringLiteral("The result looks like: PDF document"), false},
    };
    // Only the first Decrypt has a dropped file; the second is typed into the
    // fields the warning left open.
    drop_files({path("doc.bsl")});
    for (const auto& c : cases) {
        ASSERT_TRUE(enabled(kPassword2Id) && enabled(kDecryptId)) << c.password2;
        type_passwords(QStringLiteral("k1"), QString::fromLatin1(c.password2));
        button(kDecryptId)->click();
        finish_operation();
        ASSERT_FALSE(messages().isEmpty());
        EXPECT_EQ(messages().last(), c.message) << c.password2;
        EXPECT_EQ(QFileInfo(path("doc.bsl.src")).size(), pdf.size()) << "kept either way";
        for (const int id : kLockedControlIds) {
            EXPECT_EQ(enabled(id), c.unlocked) << c.password2 << ", control " << id;
        }
    }
    EXPECT_EQ(read_file(path("doc.bsl.src")), pdf);
    EXPECT_EQ(messages().size(), 2) << "one message box per operation";
}

TEST_F(OperationThroughWindow, ASecondPressDuringARunIsRefusedAndChangesNothing) {
    write_file(path("long.bin"), sample_bytes(kLongInputSize));
    choose(path("long.bin"));

    button(kCryptId)->click();
    button(kDecryptId)->click();
    ASSERT_EQ(messages().size(), 1) << "the second press is refused at once";
    const QString refusal = messages().first();
    EXPECT_NE(refusal, kCompleted);
    EXPECT_EQ(window.current_path(), path("long.bin"));
    EXPECT_TRUE(enabled(kCryptId));

    finish_operation();
    EXPECT_EQ(messages(), (QStringList{refusal, kCompleted}));
    EXPECT_EQ(QFileInfo(path("long.bin.bsl")).size(), kLongInputSize);
    EXPECT_FALSE(QFile::exists(path("long.bin.src")));
}

TEST_F(OperationThroughWindow, QuitDuringARunCancelsAndLeavesAnExistingOutputAsItWas) {
    write_file(path("long.bin"), sample_bytes(kLongInputSize));
    write_file(path("long.bin.bsl"), QByteArrayLiteral("an older output"));
    choose(path("long.bin"));
    window.show();

    button(kCryptId)->click();
    button(kQuitId)->click();

    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(runner.busy()) << "closing waits for the worker";
    QCoreApplication::processEvents();
    EXPECT_EQ(read_file(path("long.bin.bsl")), QByteArrayLiteral("an older output"));
    EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files),
              (QStringList{"long.bin", "long.bin.bsl"}))
        << "no partial output is left";
    EXPECT_TRUE(messages().isEmpty()) << "nobody is told about a cancelled operation";
}

TEST_F(OperationThroughWindow, ClosingTheWindowDuringARunCancelsAndLeavesNoOutput) {
    write_file(path("long.bin"), sample_bytes(kLongInputSize));
    choose(path("long.bin"));
    window.show();

    button(kCryptId)->click();
    EXPECT_TRUE(window.close());

    EXPECT_FALSE(runner.busy());
    EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files), QStringList{"long.bin"});
}

// Presses in a loop while earlier workers are still handing their progress,
// lock and completion back to the window: each press either starts or is
// refused as busy, each start is reported completed once, and only the
// finished output is left.
TEST_F(OperationThroughWindow, PressesInALoopWhileWorkersHandBackLeaveOnlyTheFinishedOutput) {
    constexpr int kRounds = 30;
    const QByteArray plain = sample_bytes(600 * 1024);
    write_file(path("data.bin"), plain);
    const QString busy = QString::fromLatin1(messages::kBusy);

    int started = 0;
    for (int round = 0; round < kRounds; ++round) {
        drop_files({path("data.bin")});
        ASSERT_TRUE(enabled(kCryptId)) << round;
        const qsizetype before = messages().size();
        button(kCryptId)->click();
        if (messages().size() == before) {
            ++started;
        } else {
            EXPECT_EQ(messages().last(), busy) << round;
        }
        if (round % 3 == 0) {
            finish_operation();
        } else if (round % 3 == 1) {
            QCoreApplication::processEvents();
        }
    }
    finish_operation();

    EXPECT_EQ(messages().count(kCompleted), started);
    EXPECT_EQ(messages().count(kCompleted) + messages().count(busy), messages().size());
    EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"data.bin", "data.bin.bsl"}));
    EXPECT_EQ(read_file(path("data.bin.bsl")), encrypted(plain, "", ""));
}

}  // namespace
}  // namespace brisol
