#include "file_dialog.h"

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QTemporaryDir>

namespace brisol {
namespace {

// The real dialog is set up but never executed: its parameters are what the
// user sees when it opens.
class RealFileDialog : public ::testing::Test {
protected:
    QTemporaryDir directory;
    FileDialog chooser{nullptr};
};

TEST_F(RealFileDialog, OffersTheThreeFiltersInOrderWithTheFirstPreselected) {
    QFileDialog dialog;
    chooser.prepare(dialog, QString());
    const QStringList expected{QStringLiteral("Brisol encrypted files (*.bsl)"),
                               QStringLiteral("Text (*.txt *.htm *.html *.pas *.shtml *.asm)"),
                               QStringLiteral("All files (*.*) (*)")};
    EXPECT_EQ(dialog.nameFilters(), expected);
    EXPECT_EQ(dialog.selectedNameFilter(), expected.first());
    EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("txt"));
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog.fileMode(), QFileDialog::AnyFile)
        << "a name that does not exist may be chosen";
}

TEST_F(RealFileDialog, StartsFromTheCurrentPath) {
    const QString current = directory.filePath(QStringLiteral("report.txt.bsl"));
    QFileDialog dialog;
    chooser.prepare(dialog, current);
    EXPECT_EQ(dialog.selectedFiles(), QStringList{current});
}

TEST_F(RealFileDialog, RemembersTheLastFilterUsedForLaterOpenings) {
    QFileDialog first;
    chooser.prepare(first, QString());
    const QString text_filter = name_filters().at(1);
    first.selectNameFilter(text_filter);
    chooser.remember(first);

    for (int opening = 0; opening < 2; ++opening) {
        QFileDialog later;
        chooser.prepare(later, QString());
        EXPECT_EQ(later.selectedNameFilter(), text_filter) << "opening " << opening;
    }
}

}  // namespace
}  // namespace brisol
