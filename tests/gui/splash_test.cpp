// The splash window: its picture and version text, the 750 ms timer, and dismissal by the first
// key or mouse press anywhere, which is consumed.
#include "ui/splash_window.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include "gui_helpers.h"

namespace {

class SplashTest : public ::testing::Test {
protected:
    void SetUp() override { CSplashWindow::EnableSplashScreen(true); }
    void TearDown() override
    {
        if (CSplashWindow* splash = CSplashWindow::Current())
            splash->HideSplashScreen();
        CSplashWindow::EnableSplashScreen(true);
    }
};

TEST(SplashVersion, IsCutBeforeTheLastDot)
{
    EXPECT_EQ(SplashVersionText("Version 1.0.2.5"), "Version 1.0.2");
    EXPECT_EQ(SplashVersionText("Version"), "Version");
}

TEST_F(SplashTest, ShowsOnceWithItsPictureSize)
{
    QWidget owner;
    CSplashWindow::ShowSplashScreen(&owner);
    CSplashWindow* splash = CSplashWindow::Current();
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->size(), QSize(518, 315));
    CSplashWindow::ShowSplashScreen(&owner);
    EXPECT_EQ(CSplashWindow::Current(), splash);
}

TEST_F(SplashTest, DisabledSplashIsNeverShown)
{
    CSplashWindow::EnableSplashScreen(false);
    QWidget owner;
    CSplashWindow::ShowSplashScreen(&owner);
    EXPECT_EQ(CSplashWindow::Current(), nullptr);
}

TEST_F(SplashTest, VersionTextIsDrawnInTealAtTheBottomLeft)
{
    QWidget owner;
    CSplashWindow::ShowSplashScreen(&owner);
    ASSERT_NE(CSplashWindow::Current(), nullptr);
    const QImage image = CSplashWindow::Current()->grab().toImage();
    int teal = 0;
    for (int y = 315 - 35; y < 315 - 15; ++y) {
        for (int x = 16; x < 160; ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.red() < 40 && std::abs(pixel.green() - 128) < 30 &&
                std::abs(pixel.blue() - 128) < 30)
                ++teal;
        }
    }
    EXPECT_GT(teal, 30);
}

TEST_F(SplashTest, HidesByItselfAfterItsTimer)
{
    QWidget owner;
    QElapsedTimer clock;
    clock.start();
    CSplashWindow::ShowSplashScreen(&owner);
    ASSERT_NE(CSplashWindow::Current(), nullptr);
    ASSERT_TRUE(WaitUntil([] { return CSplashWindow::Current() == nullptr; }, 5000));
    EXPECT_GE(clock.elapsed(), 740);
}

TEST_F(SplashTest, AKeyPressAnywhereHidesItAndIsConsumed)
{
    QLineEdit edit;
    edit.show();
    edit.setFocus();
    CSplashWindow::ShowSplashScreen(&edit);
    ASSERT_NE(CSplashWindow::Current(), nullptr);
    QTest::keyClick(&edit, Qt::Key_A);
    EXPECT_EQ(CSplashWindow::Current(), nullptr);
    EXPECT_EQ(edit.text(), "");
    QTest::keyClick(&edit, Qt::Key_B);
    EXPECT_EQ(edit.text(), "b");
}

TEST_F(SplashTest, AClickHidesItAndReachesNoWindow)
{
    QPushButton button("target");
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
    button.show();
    CSplashWindow::ShowSplashScreen(&button);
    ASSERT_NE(CSplashWindow::Current(), nullptr);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(CSplashWindow::Current(), nullptr);
    EXPECT_EQ(clicks, 0);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(SplashTest, ClickOnTheSplashItselfHidesIt)
{
    QWidget owner;
    CSplashWindow::ShowSplashScreen(&owner);
    CSplashWindow* splash = CSplashWindow::Current();
    ASSERT_NE(splash, nullptr);
    QTest::mouseClick(splash, Qt::RightButton);
    EXPECT_EQ(CSplashWindow::Current(), nullptr);
}

}  // namespace
