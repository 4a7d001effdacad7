// The command dialogs: field limits, OK checks, the Browse folder picker, the wait window and the
// window message boxes.
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <fstream>

#include "gui_helpers.h"
#include "scratch_directory.h"
#include "ui/copy_to_device_dialogs.h"
#include "ui/device_command_dialogs.h"
#include "ui/folder_picker.h"
#include "ui/wait_dialog.h"
#include "ui/window_reporters.h"

namespace {

QLineEdit* Field(QWidget* dialog, const char* name)
{
    auto* field = FindChild<QLineEdit>(dialog, name);
    EXPECT_NE(field, nullptr) << name;
    return field;
}

void ClickOk(QDialog* dialog)
{
    QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
}

constexpr int noLimit = 32767;  // a line edit's own maximum

TEST(NewDirectoryDialog, TheFiftyEighthCharacterCannotBeTyped)
{
    CNewDirectoryDialog dialog;
    dialog.show();
    QLineEdit* field = Field(&dialog, "directoryPath");
    QTest::keyClicks(field, QString(56, QLatin1Char('a')));
    QTest::keyClicks(field, "b");  // the 57th is the last one accepted
    QTest::keyClicks(field, "cdef");
    EXPECT_EQ(field->text(), QString(56, QLatin1Char('a')) + "b");
}

TEST(CommandDialogs, DeviceNamesAreHeldToTheirLimitsAndPcNamesAreNot)
{
    CNewFileDialog newFile;
    CNewModuleDialog newModule;
    CDeleteModuleDialog deleteModule;
    CCopyFromPhoneDialog copy;
    const std::pair<QLineEdit*, int> fields[] = {
        {Field(&newFile, "pcFile"), noLimit},
        {Field(&newFile, "devicePath"), 57},
        {Field(&newModule, "moduleDirectory"), 57},
        {Field(&newModule, "moduleName"), 32},
        {Field(&deleteModule, "moduleName"), 32},
        {Field(&copy, "deviceFile"), 57},
        {Field(&copy, "destinationDirectory"), noLimit},
    };
    for (const auto& [field, limit] : fields)
        EXPECT_EQ(field->maxLength(), limit) << field->objectName();
}

TEST(CommandDialogs, PresetsLongerThanTheLimitAreKeptWhole)
{
    // A preset from a deep node must reach the command unchanged, not cut to 57 characters.
    const QString deep = "/" + QString(70, QLatin1Char('d')) + "/";
    CNewFileDialog dialog;
    dialog.SetDevicePath(deep);
    EXPECT_EQ(dialog.DevicePath(), deep);
    // What the user types is still held to the limit.
    CNewDirectoryDialog fresh;
    fresh.show();
    QTest::keyClicks(Field(&fresh, "directoryPath"), QString(80, QLatin1Char('x')));
    EXPECT_EQ(fresh.DirectoryPath().size(), 57);
}

TEST(NewFileDialog, OkChecksKeepTheDialogOpenWithTheirMessage)
{
    CReportCapture reports;
    CNewFileDialog dialog;
    dialog.show();
    dialog.SetPcFile("/home/user/f.txt");
    ClickOk(&dialog);
    dialog.SetPcFile("");
    dialog.SetDevicePath("/sub/");
    ClickOk(&dialog);
    dialog.SetPcFile("/home/user/");
    ClickOk(&dialog);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(reports.messages, (std::vector<std::string>{
                                    "Please specify the device pathName\\fileName",
                                    "Please specify a pathName\\fileName on the PC hard disk",
                                    "Please specify a valid filename on the PC hard disk"}));
    dialog.SetPcFile("/home/user/f.txt");
    ClickOk(&dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(NewDirectoryDialog, APathEndingWithSlashIsRefused)
{
    CReportCapture reports;
    CNewDirectoryDialog dialog;
    dialog.show();
    dialog.SetDirectoryPath("/");
    ClickOk(&dialog);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(reports.messages, std::vector<std::string>{
                                    "This is the root directory and it already exists\nYou "
                                    "cannot create this directory"});
    dialog.SetDirectoryPath("/new");
    ClickOk(&dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(FolderPicker, OpenWritesTheChosenFolderWithATrailingSlash)
{
    CScratchDirectory scratch;
    std::filesystem::create_directory(scratch.Path() / "module");
    CNewModuleDialog dialog;
    dialog.show();
    const QString start = QString::fromStdString(scratch.Path().string());
    dialog.SetModuleDirectory(start);
    const QString chosen = start + "/module";

    QString startFolder;
    WhenModal<CFolderPicker>([&](CFolderPicker* picker) {
        startFolder = picker->directory().absolutePath();
        picker->setDirectory(chosen);
        picker->selectFile(chosen);
        static_cast<QDialog*>(picker)->accept();
    });
    QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);

    EXPECT_EQ(startFolder, start);
    EXPECT_EQ(dialog.ModuleDirectory(), chosen + "/");
}

// Counts the paint events a widget receives.
class CPaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

TEST(WaitWindow, IsPaintedBeforeTheBlockingCallStarts)
{
    CPaintCounter counter;
    {
        CWaitScope wait(83);
        // Nothing here runs the event loop: whatever was painted was painted by the scope.
        CWaitDialog& dialog = wait.Dialog();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.Text(), "Copying files to the device. Please wait .....");
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

        QLabel* text = FindChild<QLabel>(&dialog, "waitText");
        ASSERT_NE(text, nullptr);
        text->installEventFilter(&counter);
        dialog.ShowNow();
        EXPECT_GT(counter.paints, 0);
        text->removeEventFilter(&counter);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(WindowReporters, MessagesAreWarningBoxesAndQuestionsAnswerWithTheButtonPressed)
{
    InstallWindowReporters();
    OutputMode = outputModeMessageBox;
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::Ok)->click();
    });
    ReportAppMessage(22);
    EXPECT_EQ(caption, "ORLEY v1.0");
    EXPECT_EQ(text, "Error - Could not detect any device on the specified port");
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(buttons, QMessageBox::Ok);

    WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
    EXPECT_FALSE(AskYesNo("unused (y/n)?[y] ", "Do you wish?"));
    WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    EXPECT_TRUE(AskYesNo("unused (y/n)?[y] ", "Do you wish?"));
    SetMessageBoxHandler({});
    SetQuestionHandler({});
}

}  // namespace
