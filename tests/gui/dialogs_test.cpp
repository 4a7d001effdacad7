// The command dialogs: captions, labels, field limits, OK checks, the Browse folder picker, the
// About dialog, the wait window and the window message boxes.
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <fstream>

#include "gui_helpers.h"
#include "scratch_directory.h"
#include "ui/about_dialog.h"
#include "ui/copy_to_device_dialogs.h"
#include "ui/device_command_dialogs.h"
#include "ui/folder_picker.h"
#include "ui/wait_dialog.h"
#include "ui/window_reporters.h"

namespace {

QStringList LabelTexts(const QWidget* dialog)
{
    QStringList texts;
    for (const QLabel* label : dialog->findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

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
    EXPECT_EQ(dialog.windowTitle(), "New Directory");
    EXPECT_TRUE(LabelTexts(&dialog).contains("Specify &Directory to Create (max 57 chars):"));
}

TEST(CommandDialogs, CaptionsLabelsAndFieldLimits)
{
    CNewFileDialog newFile;
    EXPECT_EQ(newFile.windowTitle(), "New File");
    EXPECT_EQ(LabelTexts(&newFile), (QStringList{"Select File from &Hard Disk to Copy:",
                                                 "Specify Path/Filename to Persist on &Device:"}));
    EXPECT_EQ(Field(&newFile, "pcFile")->maxLength(), noLimit);
    EXPECT_EQ(Field(&newFile, "devicePath")->maxLength(), 57);
    EXPECT_EQ(newFile.BrowseButton()->text(), "&Browse...");

    CNewModuleDialog newModule;
    EXPECT_EQ(newModule.windowTitle(), "New Module");
    EXPECT_TRUE(LabelTexts(&newModule)
                    .contains("Note: Before selecting module directory on hard disk, please make "
                              "sure to copy all module files to that directory."));
    EXPECT_TRUE(LabelTexts(&newModule).contains("Select Module &Directory from Hard Disk:"));
    EXPECT_TRUE(LabelTexts(&newModule).contains("Specify Module &Name to Persist on Device:"));
    EXPECT_EQ(Field(&newModule, "moduleDirectory")->maxLength(), 57);
    EXPECT_EQ(Field(&newModule, "moduleName")->maxLength(), 32);

    CDeleteModuleDialog deleteModule;
    EXPECT_EQ(deleteModule.windowTitle(), "Delete Module");
    EXPECT_EQ(LabelTexts(&deleteModule),
              QStringList{"Specify &Module Name to be Deleted from Device:"});
    EXPECT_EQ(Field(&deleteModule, "moduleName")->maxLength(), 32);

    CCopyFromPhoneDialog copy;
    EXPECT_EQ(copy.windowTitle(), "Copy File from Phone");
    EXPECT_EQ(LabelTexts(&copy), (QStringList{"Specify Device &File to Copy:",
                                              "Select Destination &Directory from Hard Disk:"}));
    EXPECT_EQ(Field(&copy, "deviceFile")->maxLength(), 57);
    EXPECT_EQ(Field(&copy, "destinationDirectory")->maxLength(), noLimit);
}

TEST(CommandDialogs, LabelMnemonicsMoveToTheirFields)
{
    CNewFileDialog dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(WaitUntil([&] { return dialog.isActiveWindow(); }));
    QTest::keyClick(&dialog, Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), Field(&dialog, "devicePath"));
    QTest::keyClick(&dialog, Qt::Key_H, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), Field(&dialog, "pcFile"));
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

    QString title, startFolder, nameLabel, acceptLabel;
    WhenModal<CFolderPicker>([&](CFolderPicker* picker) {
        title = picker->windowTitle();
        startFolder = picker->directory().absolutePath();
        nameLabel = picker->labelText(QFileDialog::FileName);
        acceptLabel = picker->labelText(QFileDialog::Accept);
        picker->setDirectory(chosen);
        picker->selectFile(chosen);
        static_cast<QDialog*>(picker)->accept();
    });
    QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);

    EXPECT_EQ(title, "Select Module Directory");
    EXPECT_EQ(startFolder, start);
    EXPECT_EQ(nameLabel, "Directory:");
    EXPECT_EQ(acceptLabel, "&Open");
    EXPECT_EQ(dialog.ModuleDirectory(), chosen + "/");
}

TEST(FolderPicker, CancelLeavesTheFieldAsItWas)
{
    CScratchDirectory scratch;
    CCopyFromPhoneDialog dialog;
    dialog.show();
    const QString start = QString::fromStdString(scratch.Path().string());
    dialog.SetDestinationDirectory(start);
    QString title;
    WhenModal<CFolderPicker>([&](CFolderPicker* picker) {
        title = picker->windowTitle();
        picker->reject();
    });
    QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(title, "Select Destination Directory from PC");
    EXPECT_EQ(dialog.DestinationDirectory(), start);
}

TEST(FileBrowse, ChosenFileGoesIntoThePcField)
{
    CScratchDirectory scratch;
    const auto file = scratch.Path() / "README";  // no extension: still offered
    std::ofstream(file) << "x";
    CNewFileDialog dialog;
    dialog.show();
    dialog.SetPcFile(QString::fromStdString(scratch.Path().string()) + "/");
    WhenModal<QFileDialog>([&](QFileDialog* browser) {
        browser->selectFile(QString::fromStdString(file.string()));
        static_cast<QDialog*>(browser)->accept();
    });
    QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.PcFile(), QString::fromStdString(file.string()));
}

TEST(AboutDialog, ShowsTheVersion)
{
    CAboutDialog about;
    EXPECT_EQ(about.windowTitle(), "About ORLEY");
    QLineEdit* version = Field(&about, "version");
    EXPECT_EQ(version->text(), "Version 1.0.2.5");
    EXPECT_EQ(version->maxLength(), 64);
    EXPECT_TRUE(version->isReadOnly());
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
        EXPECT_EQ(dialog.windowTitle(), "VANT Ferrant");
        EXPECT_EQ(dialog.Text(), "Copying files to the device. Please wait .....");
        EXPECT_EQ(dialog.parentWidget(), nullptr);
        EXPECT_FALSE(dialog.isModal());
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

TEST(WindowReporters, MessagesAreWarningBoxesCaptionedWithTheTitle)
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
    SetMessageBoxHandler({});
    SetQuestionHandler({});
}

TEST(WindowReporters, QuestionsAnswerWithTheButtonPressed)
{
    InstallWindowReporters();
    OutputMode = outputModeMessageBox;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        icon = box->icon();
        EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        box->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(AskYesNo("unused (y/n)?[y] ", "Do you wish?"));
    EXPECT_EQ(icon, QMessageBox::Question);
    WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    EXPECT_TRUE(AskYesNo("unused (y/n)?[y] ", "Do you wish?"));
    SetMessageBoxHandler({});
    SetQuestionHandler({});
}

}  // namespace
