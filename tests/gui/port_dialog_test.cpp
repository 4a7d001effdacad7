// The port dialog and the connect command's dialog part: the configured port, the choices, the
// empty-name refusal, and the wait window around the connection.
#include "ui/port_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>

#include "gui_helpers.h"
#include "scratch_directory.h"
#include "ui/connect_with_dialog.h"
#include "ui/profile_file.h"
#include "ui/wait_dialog.h"

namespace {

QPushButton* OkButton(QDialog* dialog)
{
    return dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
}

TEST(PortDialog, ShowsCom1WithoutConfigurationFileElseTheLastGoodPort)
{
    CScratchConfigHome config;
    CPortDialog dialog;
    EXPECT_EQ(dialog.PortBox()->currentText(), "COM1");
    EXPECT_FALSE(std::filesystem::exists(config.IniFile()));

    ASSERT_TRUE(WriteConfiguredPortName("COM3"));
    CPortDialog again;
    EXPECT_EQ(again.PortBox()->currentText(), "COM3");  // the last port that worked
}

TEST(PortDialog, EmptyNameIsReportedAndTheDialogStaysOpen)
{
    CScratchConfigHome config;
    CReportCapture reports;
    CPortDialog dialog;
    dialog.show();
    dialog.PortBox()->setCurrentIndex(0);  // the empty entry
    QTest::mouseClick(OkButton(&dialog), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(reports.messages, std::vector<std::string>{"Please select a valid port"});
}

TEST(ConnectWithDialog, CancelReturnsNoInputAndConnectsNothing)
{
    CScratchConfigHome config;
    bool connected = false;
    WhenModal<CPortDialog>([](CPortDialog* dialog) { dialog->reject(); });
    const AppMessage result = ConnectWithDialog(nullptr, [&](const std::string&) {
        connected = true;
        return 0;
    });
    EXPECT_EQ(result, 8);
    EXPECT_FALSE(connected);
}

TEST(ConnectWithDialog, ConnectsToTheChosenPortBehindThePaintedWaitWindow)
{
    CScratchConfigHome config;
    WhenModal<CPortDialog>([](CPortDialog* dialog) {
        dialog->PortBox()->setCurrentText("SIM");
        dialog->accept();
    });
    std::string port;
    QString waitText;
    bool waitVisible = false;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    const AppMessage result = ConnectWithDialog(nullptr, [&](const std::string& name) {
        port = name;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* wait = qobject_cast<CWaitDialog*>(widget)) {
                waitVisible = wait->isVisible();
                waitText = wait->Text();
            }
        }
        if (QApplication::overrideCursor())
            cursor = QApplication::overrideCursor()->shape();
        return 22;
    });
    EXPECT_EQ(result, 22);
    EXPECT_EQ(port, "SIM");
    EXPECT_TRUE(waitVisible);
    EXPECT_EQ(waitText, "Retrieving directory and file information from the\ndevice's embedded "
                        "file system. Please wait .....");
    EXPECT_EQ(cursor, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The dialog alone never writes the configuration: only a full connection does.
    EXPECT_FALSE(std::filesystem::exists(config.IniFile()));
}

}  // namespace
