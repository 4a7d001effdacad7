// A main window connected to a virtual handset whose file system is a scratch PC directory, so
// tests can lay out device files, run window commands and look at what they left on the device.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QStandardItemModel>
#include <QUrl>

#include <deque>
#include <filesystem>
#include <fstream>

#include "efs/efs_paths.h"
#include "gui_helpers.h"
#include "scratch_directory.h"
#include "sim/directory_file_system.h"
#include "sim/handset_host.h"
#include "sim/handset_model.h"
#include "ui/device_tree_ctrl.h"
#include "ui/left_view.h"
#include "ui/list_view.h"
#include "ui/main_frame.h"
#include "ui/size_display_mode.h"
#include "ui/splash_window.h"

namespace fs = std::filesystem;

class DeviceWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CSplashWindow::EnableSplashScreen(false);
        EfsStatsAvailable = true;
        SizeDisplayMode = sizeModeActual;
        DeviceRootPath.clear();
        InstallCapture();
        device = scratch.Path() / "device";
        pc = scratch.Path() / "pc";
        fs::create_directories(pc);
        // The phone's own settings give the device a used figure, so statistics are on.
        PutDeviceFile("nv/phone.cfg", std::string(512, 'c'));
    }

    // Routes message boxes to `messages` and questions to `questions`, answered from `answers`.
    void InstallCapture()
    {
        OutputMode = outputModeMessageBox;
        ReportEnabled = true;
        SetMessageBoxHandler([this](const std::string& text) { messages.push_back(text); });
        SetQuestionHandler([this](const std::string& text) {
            questions.push_back(text);
            if (answers.empty())
                return true;
            const bool answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }

    void TearDown() override
    {
        frame.reset();
        host.reset();
        SetMessageBoxHandler({});
        SetQuestionHandler({});
        CSplashWindow::EnableSplashScreen(true);
        EfsStatsAvailable = true;
        SizeDisplayMode = sizeModeActual;
    }

    void StartHandset(const std::function<void(sim::SimBehaviour&)>& change = {})
    {
        auto files = sim::CDirectoryFileSystem::Open(device);
        ASSERT_TRUE(files);
        files->SetCapacity(4u * 1024 * 1024);
        host = sim::CHandsetHost::Start(std::make_unique<sim::CHandsetModel>(std::move(files)));
        ASSERT_TRUE(host);
        if (change)
            host->UpdateBehaviour(change);
    }

    // A frame connected to the handset (started when needed), its tree filled and the top node
    // selected, as after the connect command.
    void Connect()
    {
        if (!host)
            StartHandset();
        frame = std::make_unique<CMainFrame>(CMainFrameOptions{0});
        frame->show();
        ASSERT_EQ(Tree()->ConnectToPort(host->SlavePath()), msgSuccess);
        Tree()->Populate();
        Tree()->ExpandAndSelectTop();
        messages.clear();
    }

    CDeviceTreeCtrl* Tree() const { return frame->GetLeftView()->Tree(); }
    CTarlo32View* List() const { return frame->GetListView(); }

    // The list's rows as "name|size|type" texts.
    QStringList Rows() const
    {
        QStringList rows;
        for (int row = 0; row < List()->RowCount(); ++row)
            rows << List()->Text(row, columnName) + "|" + List()->Text(row, columnSize) + "|" +
                        List()->Text(row, columnType);
        return rows;
    }

    QStringList ChildLabels(QTreeWidgetItem* node) const
    {
        QStringList labels;
        for (int i = 0; i < node->childCount(); ++i)
            labels << node->child(i)->text(0);
        return labels;
    }

    QTreeWidgetItem* Node(const char* dialogPath) const { return Tree()->NodeByPath(dialogPath); }

    void SelectRows(std::initializer_list<int> rows)
    {
        List()->Selection()->clearSelection();
        for (int row : rows)
            List()->Selection()->select(List()->Model()->index(row, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    int RowOf(const QString& name) const
    {
        for (int row = 0; row < List()->RowCount(); ++row)
            if (List()->Text(row, columnName) == name)
                return row;
        return -1;
    }

    // Drops PC paths on the tree's viewport at point, as the desktop's file manager does.
    void DropOnTree(const QStringList& pcPaths, QPoint point)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : pcPaths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        // The drag enters first: the application hands the drop to the widget that took it.
        QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Tree()->viewport(), &enter);
        QDragMoveEvent move(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Tree()->viewport(), &move);
        QDropEvent drop(QPointF(point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Tree()->viewport(), &drop);
    }

    void DropOnNode(const QStringList& pcPaths, QTreeWidgetItem* node)
    {
        ASSERT_NE(node, nullptr);
        DropOnTree(pcPaths, Tree()->visualItemRect(node).center());
    }

    void PutDeviceFile(const std::string& path, const std::string& contents)
    {
        fs::create_directories((device / path).parent_path());
        std::ofstream(device / path, std::ios::binary) << contents;
    }

    QString PutPcFile(const std::string& path, const std::string& contents)
    {
        fs::create_directories((pc / path).parent_path());
        std::ofstream(pc / path, std::ios::binary) << contents;
        return QString::fromStdString((pc / path).string());
    }

    static std::string ReadFile(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // The EFS requests the handset has heard. The link's own detection probes go out whenever
    // it is idle, so they are left out.
    size_t Requests() const
    {
        constexpr uint8_t efsCommand = 0x59;
        size_t count = 0;
        for (const sim::SimRequestRecord& record : host->RequestLog())
            count += !record.payload.empty() && record.payload[0] == efsCommand;
        return count;
    }

    CScratchConfigHome config;
    CScratchDirectory scratch;
    fs::path device;
    fs::path pc;
    std::unique_ptr<sim::CHandsetHost> host;
    std::unique_ptr<CMainFrame> frame;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::deque<bool> answers;  // answers to the next questions; yes once they run out
};
