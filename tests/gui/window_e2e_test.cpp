// The window as a user meets it: the program's main frame on the system's own platform plugin
// (./run.sh windows runs it under Wine on an X server), connected in turn to each port named in
// VANT_E2E_PORTS ("SIM,COM1": the built-in virtual handset, then a COM port wired to one). On each
// it shows the demo tree, copies a file holding every byte value to the device and back, and
// the copy must come back identical. A picture of the window on the first port goes to
// VANT_E2E_SCREENSHOT when that is set.
#include <QStringList>

#include <cstdlib>
#include <memory>
#include <string>

#include "sim/sim_port.h"
#include "ui/command_table.h"
#include "ui/device_command_dialogs.h"
#include "window_rig.h"

namespace {

QStringList Ports()
{
    const char* ports = std::getenv("VANT_E2E_PORTS");
    return QString::fromUtf8(ports && *ports ? ports : "SIM").split(',', Qt::SkipEmptyParts);
}

// CR LF pairs, lone CRs and LFs and end-of-file marks among every byte value: a text-mode
// transfer anywhere on the way would change them.
rig::Bytes EveryByteValue()
{
    rig::Bytes bytes;
    for (int round = 0; round < 40; ++round)
        for (int value = 0; value < 256; ++value)
            bytes.push_back(static_cast<uint8_t>(value ^ round));
    for (const char* run : {"\r\n\r\n", "\x1a\x1a", "\r", "\n\n"})
        bytes.insert(bytes.end(), run, run + std::char_traits<char>::length(run));
    return bytes;
}

TEST(WindowOnItsPlatform, ConnectsShowsTheDemoTreeAndCopiesEveryByteValueToTheDeviceAndBackOnEachPort)
{
    CSplashWindow::EnableSplashScreen(false);
    const rig::CScratch scratch;
    const rig::CScratchConfigHome config;
    rig::CReportCapture reports;
    const rig::Bytes sent = EveryByteValue();
    const auto pcFile = scratch.Path() / "sent" / "every-byte.bin";
    rig::WritePcFile(pcFile, sent);
    const QStringList ports = Ports();
    for (const QString& port : ports) {
        SCOPED_TRACE(port.toStdString());
        auto frame = std::make_unique<CMainFrame>(CMainFrameOptions{0});
        frame->setWindowTitle(QString::fromLatin1(applicationTitle));
        frame->resize(760, 520);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get(), 10000));
        CDeviceTreeCtrl* tree = frame->GetLeftView()->Tree();
        ASSERT_EQ(tree->ConnectToPort(port.toStdString()), 0);
        tree->Populate();
        tree->ExpandAndSelectTop();
        for (const char* node : {"/chess/", "/data/"})
            EXPECT_NE(tree->NodeByPath(node), nullptr) << node;

        // To the device: a drop on the list of /data/, with the PC path as the system writes it.
        tree->setCurrentItem(tree->NodeByPath("/data/"));
        frame->GetListView()->Selection()->clearSelection();
        tree->DropOnList({QString::fromStdString(pcFile.string())});
        CTarlo32View* list = frame->GetListView();
        int row = -1;
        for (int i = 0; i < list->RowCount(); ++i)
            if (list->Text(i, columnName) == "every-byte.bin")
                row = i;
        ASSERT_GE(row, 0) << "the copied file is not listed; reported: " << ::testing::PrintToString(reports.texts);
        if (port == ports.front()) {
            tree->OnTimer();  // the status bar shows the memory figures
            if (const char* picture = std::getenv("VANT_E2E_SCREENSHOT"); picture && *picture) {
                EXPECT_TRUE(frame->grab().save(QString::fromUtf8(picture), "PNG"));
            }
        }

        // And back, through the Copy from Device dialog.
        const auto back = scratch.Path() / ("back-" + std::to_string(ports.indexOf(port)));
        rig::fs::create_directories(back);
        list->Selection()->select(list->Model()->index(row, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        WhenModal<CCopyFromPhoneDialog>([&](CCopyFromPhoneDialog* dialog) {
            EXPECT_EQ(dialog->DeviceFile(), "/data/every-byte.bin");
            dialog->SetDestinationDirectory(QString::fromStdString(back.string()));
            dialog->accept();
        });
        tree->OnCopyFromDevice();
        EXPECT_EQ(rig::ReadPcFile(back / "every-byte.bin"), sent);
        EXPECT_EQ(reports.texts, Texts{});
        reports.texts.clear();
    }
}

}  // namespace

// The system's own platform plugin, not the offscreen one the other window tests take.
int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    InstallVirtualHandsetPorts();  // "SIM", as the program itself has it
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
