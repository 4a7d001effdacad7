// The window on the test rig: a main frame whose tree is connected to a virtual handset serving
// a scratch folder, so tests lay out device files, run window commands and look at what they left
// on the device. Also waiting with the event loop running and acting on modal dialogs.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPointer>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <ostream>

#include "report/reporter.h"
#include "session/command_ids.h"
#include "session/size_display_mode.h"
#include "support/handset_rig.h"
#include "ui/device_tree_ctrl.h"
#include "ui/left_view.h"
#include "ui/list_view.h"
#include "ui/main_frame.h"
#include "ui/splash_window.h"
#include "ui/wait_dialog.h"

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
using Texts = std::vector<std::string>;

// Processes events until done() holds or the deadline passes; returns done().
inline bool WaitWithEvents(const std::function<bool()>& done, int deadlineMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < deadlineMs)
        QTest::qWait(5);
    return done();
}

// Once a modal widget of type T is up, runs act on it. When none appears in time the test fails
// and whatever modal widget is up is closed, so exec() returns.
template <class T>
void WhenModal(std::function<void(T*)> act, int deadlineMs = 5000)
{
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, clock, deadlineMs, poll] {
        if (T* widget = qobject_cast<T*>(QApplication::activeModalWidget())) {
            act(widget);
            *poll = nullptr;  // breaks the self-reference; nothing captured is used after it
        } else if (clock->elapsed() > deadlineMs) {
            ADD_FAILURE() << "no modal " << T::staticMetaObject.className() << " appeared";
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            *poll = nullptr;
        } else {
            QTimer::singleShot(5, [poll] { if (*poll) (*poll)(); });
        }
    };
    QTimer::singleShot(0, [poll] { (*poll)(); });
}

// Ends a case that would otherwise never end: a dialog that stays the active modal widget for
// limitMs, answered by no WhenModal step and closed by nothing else, fails the case and is
// rejected, so its exec() returns. Wait windows are left alone: their operation ends them.
class CModalWatchdog {
public:
    explicit CModalWatchdog(int limitMs = 15000) : limitMs_(limitMs)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Check(); });
        timer_.start(50);
    }

private:
    void Check()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || qobject_cast<CWaitDialog*>(modal) != nullptr) {
            seen_ = nullptr;
        } else if (modal != seen_) {
            seen_ = modal;
            since_.start();
        } else if (since_.elapsed() >= limitMs_) {
            ADD_FAILURE() << "a modal " << modal->metaObject()->className() << " stayed up "
                          << limitMs_ << " ms with no step to answer it";
            seen_ = nullptr;
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        }
    }

    const int limitMs_;
    QTimer timer_;
    QPointer<QWidget> seen_;
    QElapsedTimer since_;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CSplashWindow::EnableSplashScreen(false);
        EfsStatsAvailable = true;
        SizeDisplayMode = sizeModeActual;
        // The phone's own settings give the device a used figure, so statistics are on. Module a
        // pairs a.mif with folder a; b.mif has no folder.
        PutDevice("nv/phone.cfg", std::string(512, 'c'));
        for (const char* name : {"sub/a.txt", "sub/b.txt", "sub/c.txt", "sub/inner/i.txt"})
            PutDevice(name, "x");
        PutDevice("a.mif", std::string(100, 'm'));
        PutDevice("b.mif", std::string(20, 'm'));
        PutDevice("a/a.mod", std::string(300, 'd'));
    }
    void TearDown() override
    {
        frame.reset();
        CSplashWindow::EnableSplashScreen(true);
        EfsStatsAvailable = true;
        SizeDisplayMode = sizeModeActual;
    }

    // A frame connected to a fresh handset (with change applied), its tree filled and the top
    // node selected, as after the connect command.
    void Connect(const rig::BehaviourChange& change = {})
    {
        handset.Start(change);
        frame = std::make_unique<CMainFrame>(CMainFrameOptions{0});
        frame->show();
        ASSERT_EQ(Tree()->ConnectToPort(handset.Port()), 0);
        Tree()->Populate();
        Tree()->ExpandAndSelectTop();
        reports.texts.clear();
    }

    CDeviceTreeCtrl* Tree() const { return frame->GetLeftView()->Tree(); }
    CTarlo32View* List() const { return frame->GetListView(); }
    QTreeWidgetItem* Node(const char* dialogPath) const { return Tree()->NodeByPath(dialogPath); }

    // The list's rows as "name|size|type" texts.
    QStringList Rows() const
    {
        QStringList rows;
        for (int row = 0; row < List()->RowCount(); ++row)
            rows << List()->Text(row, columnName) + "|" + List()->Text(row, columnSize) + "|" +
                        List()->Text(row, columnType);
        return rows;
    }
    int RowOf(const QString& name) const
    {
        for (int row = 0; row < List()->RowCount(); ++row)
            if (List()->Text(row, columnName) == name)
                return row;
        return -1;
    }
    void SelectRows(std::initializer_list<int> rows)
    {
        List()->Selection()->clearSelection();
        for (int row : rows)
            List()->Selection()->select(List()->Model()->index(row, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    // Drags PC paths (relative ones below the rig's PC folder) onto the node at dialogPath, or
    // below the last node for none, and drops them, as a file manager does.
    void DropOnNode(const QStringList& pcPaths, const char* dialogPath)
    {
        const QPoint point = dialogPath ? Tree()->visualItemRect(Node(dialogPath)).center()
                                        : QPoint(5, Tree()->viewport()->height() - 2);
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : pcPaths)
            urls << QUrl::fromLocalFile(QString::fromStdString((handset.Pc() / path.toStdString()).string()));
        data.setUrls(urls);
        QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Tree()->viewport(), &enter);
        QDragMoveEvent move(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Tree()->viewport(), &move);
        QDropEvent drop(QPointF(point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Tree()->viewport(), &drop);
    }

    // Device files straight in the handset's folder; "" for a missing one.
    void PutDevice(const std::string& path, const std::string& text)
    {
        rig::WritePcFile(handset.Device() / path, rig::ToBytes(text));
    }
    std::string Device(const std::string& path) const { return rig::ReadText(handset.Device() / path); }
    bool OnDevice(const std::string& path) const { return rig::fs::exists(handset.Device() / path); }
    QString PutPc(const std::string& path, const std::string& text)
    {
        return QString::fromStdString(handset.PutPcFile(path, rig::ToBytes(text)).string());
    }
    size_t Requests() { return handset.EfsRequestsSince().size(); }
    // A module folder on the PC: name.mod and mifFiles .mif files.
    QString ModuleFolder(const std::string& name, int mifFiles = 1)
    {
        PutPc(name + "/" + name + ".mod", std::string(700, 'm'));
        for (int i = 0; i < mifFiles; ++i)
            PutPc(name + "/" + name + (i ? std::to_string(i) : "") + ".mif", "info");
        return QString::fromStdString((handset.Pc() / name).string());
    }

    CModalWatchdog modalWatchdog;
    rig::CScratchConfigHome config;
    rig::CHandsetRig handset{rig::DeviceStore::folder};
    rig::CReportCapture reports;
    std::unique_ptr<CMainFrame> frame;
};
