// The splash window: its version text, the 750 ms timer, and dismissal by the first
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

TEST_F(SplashTest, ShowsOnceUnlessDisabledAndHidesOnAClick)
{
    QWidget owner;
    CSplashWindow::ShowSplashScreen(&owner);
    CSplashWindow* splash = CSplashWindow::Current();
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_EQ(splash->size(), QSize(518, 315));
    CSplashWindow::ShowSplashScreen(&owner);
    EXPECT_EQ(CSplashWindow::Current(), splash);
    QTest::mouseClick(splash, Qt::RightButton);  // a click on the splash itself hides it
    EXPECT_EQ(CSplashWindow::Current(), nullptr);

    CSplashWindow::EnableSplashScreen(false);
    CSplashWindow::ShowSplashScreen(&owner);
    EXPECT_EQ(CSplashWindow::Current(), nullptr);
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

}  // namespace
