#include "ui/main_frame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QThread>
#include <QToolBar>
#include <QTreeView>

#include "report/reporter.h"
#include "session/command_ids.h"
#include "session/command_table.h"
#include "session/connection_status.h"
#include "session/size_display_mode.h"
#include "ui/about_dialog.h"
#include "ui/busy_events.h"
#include "ui/device_tree_ctrl.h"
#include "ui/left_view.h"
#include "ui/list_view.h"
#include "ui/pictures.h"
#include "ui/splash_window.h"
#include "ui/wait_dialog.h"

namespace {

constexpr int treePaneWidth = 200;
constexpr int messagePaneWidth = 250;
constexpr int productPaneWidth = 75;

// The connection pane is as wide as its longest text needs: "Disconnected" and 42 blanks.
const QString connectionPaneSizer = QStringLiteral("Disconnected") + QString(42, QLatin1Char(' '));

// The device commands and the tree's slots that run them.
const std::pair<int, void (CDeviceTreeCtrl::*)()> deviceCommands[] = {
    {cmdDeviceReset, &CDeviceTreeCtrl::OnReset},
    {cmdDeviceOffline, &CDeviceTreeCtrl::OnOffline},
    {cmdNewFile, &CDeviceTreeCtrl::OnNewFile},
    {cmdNewDirectory, &CDeviceTreeCtrl::OnNewDirectory},
    {cmdDelete, &CDeviceTreeCtrl::OnDelete},
    {cmdDeviceConnect, &CDeviceTreeCtrl::OnDeviceConnect},
    {cmdModuleList, &CDeviceTreeCtrl::OnModuleList},
    {cmdModuleDelete, &CDeviceTreeCtrl::OnDeleteModule},
    {cmdModuleNew, &CDeviceTreeCtrl::OnNewModule},
    {cmdCopyFromDevice, &CDeviceTreeCtrl::OnCopyFromDevice},
};

bool IsCheckable(int commandId)
{
    ViewMode mode;
    return commandId == cmdActualSize || commandId == cmdAllocatedSize ||
           commandId == cmdViewToolbar || commandId == cmdViewStatusBar ||
           ViewModeOfCommand(commandId, mode);
}

// A left pane 200 pixels wide at start.
class CTreePane : public CLeftView {
public:
    using CLeftView::CLeftView;
    QSize sizeHint() const override { return QSize(treePaneWidth, 100); }
};

QLabel* MakePane(const QString& text, int width, QStatusBar* bar)
{
    auto* pane = new QLabel(text, bar);
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pane->setMinimumWidth(width);
    return pane;
}

}  // namespace

CMainFrame::CMainFrame(const CMainFrameOptions& options)
{
    setObjectName(QStringLiteral("mainFrame"));
    setWindowIcon(ApplicationIcon());

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("splitter"));
    splitter_->setChildrenCollapsible(false);
    leftView_ = new CTreePane(splitter_);
    listView_ = new CTarlo32View(splitter_);
    splitter_->addWidget(leftView_);
    splitter_->addWidget(listView_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);

    BuildActions();
    BuildMenus();
    BuildToolBar();
    BuildStatusBar();
    resize(760, 520);

    connect(listView_, &CTarlo32View::SelectionChanged, this, &CMainFrame::UpdateCommandStates);
    ConnectTree(leftView_->Tree());
    ConnectFrameCommands();
    // After every command, whoever ran it, the enabling rules are evaluated again.
    for (const auto& [id, action] : actions_)
        connect(action, &QAction::triggered, this, &CMainFrame::UpdateCommandStates);
    UpdateCommandStates();

    // From here on the window keeps painting while its thread waits on the handset.
    InstallBusyEventHook();

    CSplashWindow::ShowSplashScreen(this);
    if (options.splashPauseMs > 0)
        QThread::msleep(static_cast<unsigned long>(options.splashPauseMs));
}

CMainFrame::~CMainFrame()
{
    RemoveBusyEventHook();
}

CLeftView* CMainFrame::GetLeftView() const
{
    return qobject_cast<CLeftView*>(splitter_->widget(0));
}

CTarlo32View* CMainFrame::GetListView() const
{
    return qobject_cast<CTarlo32View*>(splitter_->widget(1));
}

QAction* CMainFrame::Action(int commandId) const
{
    const auto found = actions_.find(commandId);
    return found == actions_.end() ? nullptr : found->second;
}

QLabel* CMainFrame::StatusPaneLabel(int pane) const
{
    return pane >= 0 && pane < statusPaneCount ? panes_[pane] : nullptr;
}

void CMainFrame::BuildActions()
{
    auto add = [this](int id, const QString& text) {
        if (actions_.count(id))
            return;
        auto* action = new QAction(text, this);
        action->setObjectName(QString::number(id));
        action->setData(id);
        action->setCheckable(IsCheckable(id));
        if (const char* prompt = CommandPrompt(id)) {
            action->setStatusTip(QString::fromUtf8(PromptStatusText(prompt).c_str()));
            action->setToolTip(QString::fromUtf8(PromptToolTip(prompt).c_str()));
        }
        action->setIcon(ToolbarIcon(id));
        action->setIconVisibleInMenu(false);
        addAction(action);  // accelerators work wherever the focus is in the window
        actions_[id] = action;
    };
    std::function<void(const std::vector<CMenuItem>&)> addAll =
        [&](const std::vector<CMenuItem>& items) {
            for (const CMenuItem& item : items) {
                if (!item.submenu.empty())
                    addAll(item.submenu);
                else if (!item.IsSeparator())
                    add(item.id, QString::fromUtf8(item.text));
            }
        };
    addAll(MainMenu());
    add(cmdViewArrange, QStringLiteral("Arrange Icons"));
    for (const CAccelerator& key : Accelerators()) {
        add(key.id, QString());
        QAction* action = actions_[key.id];
        QList<QKeySequence> keys = action->shortcuts();
        keys.append(QKeySequence(QString::fromLatin1(key.keys)));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
    }

    // The size and view modes are each one radio group.
    auto* sizeGroup = new QActionGroup(this);
    sizeGroup->addAction(actions_[cmdActualSize]);
    sizeGroup->addAction(actions_[cmdAllocatedSize]);
    auto* viewGroup = new QActionGroup(this);
    for (int id : {cmdViewLargeIcons, cmdViewSmallIcons, cmdViewList, cmdViewDetails})
        viewGroup->addAction(actions_[id]);
}

void CMainFrame::BuildMenus()
{
    std::function<void(QMenu*, const std::vector<CMenuItem>&)> fill =
        [&](QMenu* menu, const std::vector<CMenuItem>& items) {
            for (const CMenuItem& item : items) {
                if (item.IsSeparator())
                    menu->addSeparator();
                else if (!item.submenu.empty())
                    fill(menu->addMenu(QString::fromUtf8(item.text)), item.submenu);
                else
                    menu->addAction(actions_[item.id]);
            }
        };
    for (const CMenuItem& top : MainMenu()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(top.text));
        fill(menu, top.submenu);
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    }
}

void CMainFrame::BuildToolBar()
{
    toolBar_ = new QToolBar(QStringLiteral("Toolbar"), this);
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setIconSize(QSize(16, 15));
    toolBar_->setMovable(true);
    toolBar_->setFloatable(true);
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    for (int id : ToolbarCommands()) {
        if (id == 0)
            toolBar_->addSeparator();
        else
            toolBar_->addAction(actions_[id]);
    }
    addToolBar(Qt::TopToolBarArea, toolBar_);
    actions_[cmdViewToolbar]->setChecked(true);
}

void CMainFrame::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    const QFontMetrics metrics(bar->font());
    const int margin = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8;

    panes_[statusPaneMessage] =
        MakePane(QString::fromLatin1(idlePromptText), messagePaneWidth, bar);
    panes_[statusPaneMessage]->setFrameStyle(QFrame::NoFrame);
    panes_[statusPaneConnection] =
        MakePane(connectionPaneSizer, metrics.horizontalAdvance(connectionPaneSizer) + margin, bar);
    const char* lockTexts[] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        const QString text = QString::fromLatin1(lockTexts[i]);
        panes_[statusPaneCaps + i] = MakePane(text, metrics.horizontalAdvance(text) + margin, bar);
        panes_[statusPaneCaps + i]->setEnabled(false);  // shown grey: the lock state is not read
    }
    panes_[statusPaneProduct] = MakePane(QStringLiteral("ORLEY"), productPaneWidth, bar);

    bar->addWidget(panes_[statusPaneMessage], 1);
    for (int pane = statusPaneConnection; pane < statusPaneCount; ++pane)
        bar->addPermanentWidget(panes_[pane]);
    bar->setMinimumHeight(16 + 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
    actions_[cmdViewStatusBar]->setChecked(true);
}

bool CMainFrame::event(QEvent* event)
{
    if (event->type() == QEvent::Show) {
        // Never so small that the status panes overlap or cut their texts: measured once shown,
        // when the style has given the panes their frames.
        setMinimumSize(minimumSizeHint().expandedTo(QSize(statusBar()->sizeHint().width(), 0)));
    }
    if (event->type() == QEvent::StatusTip) {
        // Prompts go to the message pane; "Ready" returns when there is none.
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        panes_[statusPaneMessage]->setText(tip.isEmpty() ? QString::fromLatin1(idlePromptText)
                                                         : tip);
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // A close from the desktop while a command is using the link, or while the watch waits for
    // a handset, would pull the window from under them; the user closes it again afterwards.
    if (CCommandInProgress::Any() || GetLeftView()->Tree()->Watching()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

QMenu* CMainFrame::CreateContextMenu(const std::vector<CMenuItem>& items,
                                     bool topNodeOrNoneSelected)
{
    activateWindow();
    const CFrameState state = CurrentState();
    std::function<void(QMenu*, const std::vector<CMenuItem>&)> fill =
        [&](QMenu* menu, const std::vector<CMenuItem>& entries) {
            for (const CMenuItem& item : entries) {
                if (item.IsSeparator()) {
                    menu->addSeparator();
                } else if (!item.submenu.empty()) {
                    fill(menu->addMenu(QString::fromUtf8(item.text)), item.submenu);
                } else {
                    const int id = item.id;
                    QAction* action = menu->addAction(QString::fromUtf8(item.text));
                    action->setObjectName(QString::number(id));
                    const CCommandState command =
                        ContextCommandState(id, topNodeOrNoneSelected, state);
                    action->setEnabled(command.enabled);
                    action->setCheckable(id == cmdActualSize || id == cmdAllocatedSize);
                    action->setChecked(command.checked);
                    // The item runs whatever the main action of its command runs.
                    if (QAction* main = Action(id))
                        connect(action, &QAction::triggered, main, &QAction::triggered);
                }
            }
        };
    auto* menu = new QMenu(this);
    fill(menu, items);
    return menu;
}

void CMainFrame::ShowContextMenu(const std::vector<CMenuItem>& items, bool topNodeOrNoneSelected,
                                 const QPoint& globalPosition)
{
    std::unique_ptr<QMenu> menu(CreateContextMenu(items, topNodeOrNoneSelected));
    menu->exec(globalPosition);
}

void CMainFrame::UpdateConnectionStatus(int freeKb, int totalKb)
{
    panes_[statusPaneConnection]->setText(
        QString::fromStdString(ConnectionStatusText(freeKb, totalKb, EfsStatsAvailable)));
    panes_[statusPaneConnection]->repaint();
}

CFrameState CMainFrame::CurrentState() const
{
    CFrameState state;
    const CTarlo32View* list = GetListView();
    state.listViewPresent = list != nullptr;
    if (list) {
        state.selectedRows = list->SelectedRowKinds();
        state.viewMode = list->Mode();
    }
    state.statsAvailable = EfsStatsAvailable;
    state.sizeMode = SizeDisplayMode;
    state.handsetShown = leftView_->Tree()->TopNode() != nullptr;
    return state;
}

void CMainFrame::UpdateCommandStates()
{
    const CFrameState state = CurrentState();
    // The bar items follow the bars, which can also be hidden from the toolbar's own menu.
    actions_[cmdViewToolbar]->setChecked(!toolBar_->isHidden());
    actions_[cmdViewStatusBar]->setChecked(!statusBar()->isHidden());
    for (const auto& [id, action] : actions_) {
        if (id == cmdViewToolbar || id == cmdViewStatusBar)
            continue;
        const CCommandState command = MainCommandState(id, state);
        action->setEnabled(command.enabled);
        if (action->isCheckable())
            action->setChecked(command.checked);
    }
}

void CMainFrame::ConnectTree(CDeviceTreeCtrl* tree)
{
    // The tree owns the link and does every device command; the list hands its events on.
    tree->SetListView(listView_);
    for (const auto& [id, slot] : deviceCommands)
        connect(actions_[id], &QAction::triggered, tree, slot);
    connect(this, &CMainFrame::SizeDisplayModeChanged, tree, &CDeviceTreeCtrl::OnSizeModeChanged);
    connect(tree, &CDeviceTreeCtrl::ConnectionStatusChanged, this,
            &CMainFrame::UpdateConnectionStatus);
    connect(tree, &CDeviceTreeCtrl::CommandStatesChanged, this, &CMainFrame::UpdateCommandStates);
    connect(tree, &CDeviceTreeCtrl::ContextMenuRequested, this, &CMainFrame::ShowContextMenu);
    connect(listView_, &CTarlo32View::RowActivated, tree, &CDeviceTreeCtrl::OnListRowActivated);
    connect(listView_, &CTarlo32View::FilesDropped, tree, &CDeviceTreeCtrl::DropOnList);
    connect(listView_, &CTarlo32View::DeleteKeyPressed, tree, &CDeviceTreeCtrl::OnDeleteRows);
    connect(listView_, &CTarlo32View::ParentFolderRequested, tree,
            &CDeviceTreeCtrl::OpenParentFolder);
    connect(listView_, &CTarlo32View::RefreshRequested, tree, &CDeviceTreeCtrl::RefreshSelected);
    connect(listView_, &CTarlo32View::ContextMenuRequested, tree,
            &CDeviceTreeCtrl::ShowListContextMenu);
}

void CMainFrame::ConnectFrameCommands()
{
    for (int id : {cmdViewLargeIcons, cmdViewSmallIcons, cmdViewList, cmdViewDetails}) {
        ViewMode mode;
        ViewModeOfCommand(id, mode);
        connect(actions_[id], &QAction::triggered, listView_,
                [this, mode] { listView_->SetMode(mode); });
    }
    for (int sizeMode : {sizeModeActual, sizeModeAllocated})
        connect(actions_[sizeMode], &QAction::triggered, this,
                [this, sizeMode] { SwitchSizeMode(sizeMode); });
    connect(actions_[cmdViewArrange], &QAction::triggered, listView_, &CTarlo32View::ArrangeIcons);
    connect(actions_[cmdViewToolbar], &QAction::triggered, this,
            [this] { toolBar_->setHidden(!toolBar_->isHidden()); });
    connect(actions_[cmdViewStatusBar], &QAction::triggered, this,
            [this] { statusBar()->setHidden(!statusBar()->isHidden()); });
    // With two panes, the next and the previous pane are the same one.
    connect(actions_[cmdNextPane], &QAction::triggered, this, &CMainFrame::FocusOtherPane);
    connect(actions_[cmdPrevPane], &QAction::triggered, this, &CMainFrame::FocusOtherPane);
    connect(actions_[cmdAppAbout], &QAction::triggered, this, &CMainFrame::ShowAbout);
    connect(actions_[cmdAppExit], &QAction::triggered, this, &QWidget::close);
}

void CMainFrame::ShowAbout()
{
    // The connection watch keeps out while the dialog runs its own event loop.
    CCommandInProgress busy;
    CAboutDialog about(this);
    about.exec();
}

void CMainFrame::SwitchSizeMode(int sizeMode)
{
    if (sizeMode == SizeDisplayMode)
        return;
    CCommandInProgress busy;
    CWaitScope wait(msgUpdatingView);
    SizeDisplayMode = sizeMode;
    emit SizeDisplayModeChanged(sizeMode);
}

void CMainFrame::FocusOtherPane()
{
    QWidget* listPane = listView_->Mode() == ViewMode::details
                            ? static_cast<QWidget*>(listView_->DetailsView())
                            : static_cast<QWidget*>(listView_->IconView());
    if (leftView_->isAncestorOf(QApplication::focusWidget()))
        listPane->setFocus(Qt::OtherFocusReason);
    else
        leftView_->Tree()->setFocus(Qt::OtherFocusReason);
}
