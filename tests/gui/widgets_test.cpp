// The window's parts without a handset: the frame's panes and modes, the command dialogs' field
// limits, the folder picker, the wait window, the port dialog, the message boxes and the splash.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTreeView>
#include <gtest/gtest-spi.h>

#include "ui/about_dialog.h"
#include "ui/connect_with_dialog.h"
#include "ui/copy_to_device_dialogs.h"
#include "ui/device_command_dialogs.h"
#include "ui/folder_picker.h"
#include "ui/port_dialog.h"
#include "ui/profile_file.h"
#include "ui/wait_dialog.h"
#include "ui/window_startup.h"
#include "ui/window_reporters.h"
#include "window_rig.h"

namespace {

TEST_F(WindowTest, FrameAloneStatusPanesPaneSwitchAndSizeModes)
{
    frame = std::make_unique<CMainFrame>(CMainFrameOptions{0});
    frame->show();
    QStringList panes;
    for (int pane = 0; pane < statusPaneCount; ++pane)
        panes << frame->StatusPaneLabel(pane)->text().trimmed();
    EXPECT_EQ(panes, (QStringList{"Ready", "Disconnected", "CAP", "NUM", "SCRL", "ORLEY"}));
    frame->Action(cmdViewStatusBar)->trigger();
    EXPECT_FALSE(frame->statusBar()->isVisible());

    QApplication::setActiveWindow(frame.get());
    ASSERT_TRUE(WaitWithEvents([&] { return frame->isActiveWindow(); }));
    Tree()->setFocus();
    QTest::keyClick(Tree(), Qt::Key_F6);
    EXPECT_EQ(QApplication::focusWidget(), List()->DetailsView());
    QTest::keyClick(List()->DetailsView(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), Tree());

    // Switching to the mode in force refreshes nothing; a switch refreshes behind the wait window.
    QSignalSpy refreshes(frame.get(), &CMainFrame::SizeDisplayModeChanged);
    QString waitText;
    QObject::connect(frame.get(), &CMainFrame::SizeDisplayModeChanged, [&] {
        if (auto* wait = qobject_cast<CWaitDialog*>(QApplication::activeModalWidget()))
            waitText = wait->Text();
    });
    frame->Action(cmdAllocatedSize)->trigger();
    frame->Action(cmdAllocatedSize)->trigger();
    EXPECT_EQ(refreshes.count(), 1);
    EXPECT_EQ(SizeDisplayMode, sizeModeAllocated);
    EXPECT_EQ(waitText, "Updating view. Please wait .....");
    frame->Action(cmdViewLargeIcons)->trigger();
    EXPECT_EQ(List()->Mode(), ViewMode::largeIcons);
}

// Start-up shows the titled frame with window reporting and runs the connect command; Help >
// About shows the version, and File > Exit closes the frame.
TEST(WindowStartup, ShowsTheTitledFrameConnectsAtStartAndAboutShowsTheVersion)
{
    rig::CReportCapture restore;  // the console's reporting comes back at the end
    int connects = 0;
    QPointer<CMainFrame> frame = StartMainWindow({[&](CMainFrame&) { ++connects; }}, 0);
    ASSERT_TRUE(frame);
    EXPECT_EQ(connects, 1);
    EXPECT_EQ(frame->windowTitle(), "ORLEY v1.0");
    EXPECT_EQ(OutputMode, outputModeMessageBox);
    QString version;
    WhenModal<CAboutDialog>([&](CAboutDialog* about) {
        version = about->windowTitle() + "|" + about->findChild<QLineEdit*>("version")->text();
        about->accept();
    });
    frame->Action(cmdAppAbout)->trigger();
    EXPECT_EQ(version, "About ORLEY|Version 1.0.2.5");
    frame->Action(cmdAppExit)->trigger();
    EXPECT_TRUE(WaitWithEvents([&] { return frame.isNull(); }));  // closed, then deleted
    if (CSplashWindow* splash = CSplashWindow::Current())
        splash->HideSplashScreen();
}

TEST(CommandDialogs, DeviceNamesAreHeldToTheirLimitsAndPresetsAreKeptWhole)
{
    CNewFileDialog newFile;
    CNewModuleDialog newModule;
    CDeleteModuleDialog deleteModule;
    CCopyFromPhoneDialog copy;
    CNewDirectoryDialog newDirectory;
    const std::tuple<QWidget*, const char*, int> fields[] = {
        {&newFile, "pcFile", 32767}, {&newFile, "devicePath", 57}, {&newModule, "moduleDirectory", 57},
        {&newModule, "moduleName", 32}, {&deleteModule, "moduleName", 32}, {&copy, "deviceFile", 57},
        {&copy, "destinationDirectory", 32767}, {&newDirectory, "directoryPath", 57}};
    for (const auto& [dialog, name, limit] : fields)
        EXPECT_EQ(dialog->findChild<QLineEdit*>(name)->maxLength(), limit) << name;
    // A preset from a deep node reaches the command whole; what is typed is held to the limit.
    const QString deep = "/" + QString(70, QLatin1Char('d')) + "/";
    newFile.SetDevicePath(deep);
    EXPECT_EQ(newFile.DevicePath(), deep);
    newDirectory.show();
    QTest::keyClicks(newDirectory.findChild<QLineEdit*>("directoryPath"), QString(80, QLatin1Char('x')));
    EXPECT_EQ(newDirectory.DirectoryPath().size(), 57);
}

TEST(FolderPicker, BrowseStartsAtTheFieldAndWritesTheChosenFolderWithATrailingSlash)
{
    rig::CScratch scratch;
    rig::fs::create_directory(scratch.Path() / "module");
    CNewModuleDialog dialog;
    dialog.show();
    // Qt names folders with forward slashes on every system.
    const QString start = QString::fromStdString(scratch.Path().generic_string());
    dialog.SetModuleDirectory(start);
    QString startFolder;
    WhenModal<CFolderPicker>([&](CFolderPicker* picker) {
        startFolder = picker->directory().absolutePath();
        picker->setDirectory(start + "/module");
        picker->selectFile(start + "/module");
        static_cast<QDialog*>(picker)->accept();
    });
    QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(startFolder, start);
    EXPECT_EQ(dialog.ModuleDirectory(), start + "/module/");
}

TEST(WaitWindow, IsPaintedBeforeTheBlockingCallStarts)
{
    struct CPaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override { return (paints += event->type() == QEvent::Paint), false; }
    } counter;
    {
        CWaitScope wait(83);
        // Nothing here runs the event loop: whatever was painted was painted by the scope.
        EXPECT_EQ(wait.Dialog().Text(), "Copying files to the device. Please wait .....");
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QLabel* text = wait.Dialog().findChild<QLabel*>("waitText");
        ASSERT_NE(text, nullptr);
        text->installEventFilter(&counter);
        wait.Dialog().ShowNow();
        text->removeEventFilter(&counter);
        EXPECT_GT(counter.paints, 0);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(PortDialog, ShowsTheLastGoodPortRefusesAnEmptyNameAndCancelConnectsNothing)
{
    rig::CScratchConfigHome config;
    rig::CReportCapture reports;
    ASSERT_TRUE(WriteConfiguredPortName("COM3"));
    CPortDialog dialog;
    EXPECT_EQ(dialog.PortBox()->currentText(), "COM3");
    dialog.show();
    dialog.PortBox()->setCurrentIndex(0);  // the empty entry
    QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(reports.texts, Texts{"Please select a valid port"});
    WhenModal<CPortDialog>([](CPortDialog* shown) { shown->reject(); });
    EXPECT_EQ(ConnectWithDialog(nullptr, [](const std::string&) { return ADD_FAILURE(), 0; }), 8);
}

TEST(WindowReporters, MessagesAreWarningBoxesAndQuestionsAnswerWithTheButtonPressed)
{
    rig::CReportCapture restore;  // the console's reporting comes back at the end
    InstallWindowReporters();
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    ReportAppMessage(22);
    EXPECT_EQ(caption + "|" + text, "ORLEY v1.0|Error - Could not detect any device on the specified port");
    EXPECT_EQ(icon, QMessageBox::Warning);
    for (const bool yes : {false, true}) {
        WhenModal<QMessageBox>([yes](QMessageBox* box) { box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click(); });
        EXPECT_EQ(AskYesNo("unused (y/n)?[y] ", "Do you wish?"), yes);
    }
}

// The rig's guard against a case that never ends: a dialog no step answers fails the case and is
// rejected; a wait window, which its operation ends, stays up however long that takes.
TEST(ModalWatchdog, AnUnansweredDialogFailsTheCaseAndIsRejectedAWaitWindowIsLeftUp)
{
    const CModalWatchdog watchdog(200);
    for (const bool wait : {false, true}) {
        SCOPED_TRACE(wait ? "wait window" : "dialog");
        testing::TestPartResultArray failures;
        int result = -1;
        {
            const testing::ScopedFakeTestPartResultReporter capture(
                testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
            if (wait) {
                const CWaitScope scope(msgCopyingFiles);
                WaitWithEvents([] { return false; }, 600);
            } else {
                QDialog dialog;
                // Stands in for a hang: without the guard exec() ends here, with another result.
                QTimer::singleShot(3000, &dialog, [&dialog] { dialog.done(7); });
                result = dialog.exec();
            }
        }
        if (wait) {
            EXPECT_EQ(failures.size(), 0);
        } else {
            EXPECT_EQ(result, QDialog::Rejected);
            ASSERT_EQ(failures.size(), 1);
            const std::string message = failures.GetTestPartResult(0).message();
            EXPECT_NE(message.find("a modal QDialog stayed up 200 ms"), std::string::npos) << message;
        }
    }
}

TEST(Splash, ShowsOnceAndHidesAtAKeyPressThatItConsumes)
{
    EXPECT_EQ(SplashVersionText("Version 1.0.2.5"), "Version 1.0.2");
    QLineEdit edit;
    edit.show();
    edit.setFocus();
    CSplashWindow::ShowSplashScreen(&edit);
    CSplashWindow* splash = CSplashWindow::Current();
    ASSERT_NE(splash, nullptr);
    CSplashWindow::ShowSplashScreen(&edit);
    EXPECT_EQ(CSplashWindow::Current(), splash);
    QTest::keyClick(&edit, Qt::Key_A);
    EXPECT_EQ(CSplashWindow::Current(), nullptr);
    QTest::keyClick(&edit, Qt::Key_B);
    EXPECT_EQ(edit.text(), "b");

    CSplashWindow::EnableSplashScreen(false);
    CSplashWindow::ShowSplashScreen(&edit);
    EXPECT_EQ(CSplashWindow::Current(), nullptr);
    CSplashWindow::EnableSplashScreen(true);
}

}  // namespace

namespace {

TEST_F(WindowTest, AtItsSmallestSizeEveryStatusPaneIsWholeAndApart)
{
    frame = std::make_unique<CMainFrame>(CMainFrameOptions{0});
    frame->show();
    frame->resize(320, 240);
    // The panes' text decides the minimum, so with a wider font it may pass the default 760.
    ASSERT_TRUE(WaitWithEvents([&] { return frame->width() <= std::max(760, frame->minimumWidth()); }));
    QApplication::processEvents();
    int right = -1;
    for (int pane = 0; pane < statusPaneCount; ++pane) {
        const QLabel* label = frame->StatusPaneLabel(pane);
        EXPECT_GE(label->width(), label->minimumWidth()) << pane;
        EXPECT_GT(label->geometry().left(), right) << pane;
        EXPECT_LE(label->geometry().right(), frame->statusBar()->width()) << pane;
        right = label->geometry().right();
    }
}

}  // namespace
