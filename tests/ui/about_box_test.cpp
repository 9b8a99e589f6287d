#include "about_box.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "control_names.h"

namespace brisol {
namespace {

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        box.show();
        ASSERT_NE(ok, nullptr);
    }

    AboutBox box;
    QPushButton* ok = box.findChild<QPushButton*>(control_name(kAboutOkId));
};

TEST_F(AboutBoxTest, ShowsTitleVersionAndAFocusedOkButton) {
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Brisol"));
    EXPECT_EQ(ok->text(), QStringLiteral("Ok"));
    EXPECT_EQ(box.focusWidget(), ok);
    const auto* version = box.findChild<QLabel*>(QStringLiteral("label_version"));
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^Version 3\\.0 \\(([0-9a-f]{12}(-dirty)?|unknown)\\)$"))
            .match(version->text())
            .hasMatch())
        << version->text().toStdString();
    EXPECT_EQ(version->frameShadow(), QFrame::Sunken);
}

TEST_F(AboutBoxTest, EscapeDoesNotCloseIt) {
    QTest::keyClick(ok, Qt::Key_Escape);
    EXPECT_TRUE(box.isVisible());
}

TEST_F(AboutBoxTest, EnterOnOkClosesIt) {
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_FALSE(box.isVisible());
}

TEST_F(AboutBoxTest, CloseBoxClosesIt) {
    EXPECT_TRUE(box.close());
    EXPECT_FALSE(box.isVisible());
}

}  // namespace
}  // namespace brisol
