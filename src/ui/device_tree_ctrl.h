// The tree of the device's directories. Despite its name it also takes the list's drops and
// deletes: the window's device commands arrive here. It holds the window's device session,
// which owns the link and decides every command; the tree turns events and dialogs into session
// calls and shows the answers. It knows the list it fills and nothing of the frame: what the
// frame shows (the connection pane, the command states, the context menus) it asks for through
// signals.
//
// Items carry only their label; a node's device path is rebuilt from the labels up to the top
// node "/" (tree_items.h). Directories are read lazily: every expansion or collapse re-reads a
// node's subdirectories. Members: here, device_tree_ctrl.cpp and tree_commands.cpp; the
// connection and the dialog commands are CWindowConnection and CDialogCommands.
#pragma once

#include <QPointer>
#include <QTreeWidget>
#include <string>

#include "report/app_messages.h"
#include "session/command_table.h"
#include "session/connection_status.h"
#include "session/device_session.h"
#include "ui/dialog_commands.h"
#include "ui/tree_items.h"
#include "ui/window_connection.h"

class CTarlo32View;
class CTreeDropTarget;

// What a refresh lists a directory into.
enum class RefreshMode : int { treeOnly = 0, listOnly = 1, treeAndList = 2 };

class CDeviceTreeCtrl : public QTreeWidget {
    Q_OBJECT
public:
    explicit CDeviceTreeCtrl(QWidget* parent = nullptr);

    // The list the tree fills with the selected directory's entries and reads selections from.
    void SetListView(CTarlo32View* list);
    QTreeWidgetItem* TopNode() const;  // the top node "/", or nullptr while the tree is empty
    // Under the tree's root path.
    std::string NodePath(const QTreeWidgetItem& node) const { return GetNodePath(node, rootPath_); }
    QTreeWidgetItem* NodeByPath(const std::string& dialogPath) const;

    // Rebuilds the tree as the top node alone, starts the connection watch and marks the module
    // list stale. The caller then expands and selects the top node (ExpandAndSelectTop).
    bool Populate();
    void ExpandAndSelectTop();
    // Lists one directory into the tree, the list or both.
    void RefreshNode(QTreeWidgetItem* node, const std::string& path, RefreshMode mode,
                     bool clearChildren);
    // The node a list row names: the selected node, expanded, and its child directory name.
    QTreeWidgetItem* SubdirectoryNode(const QString& name);

    CDiagPort* Link() const { return session_.Link(); }
    const CModuleCache& ModuleCache() const { return session_.ModuleCache(); }
    // Replaces the link by a new one on portName: 0, 21, 22, 24 or 25. Remembers the port only
    // after a connection that fully succeeded.
    AppMessage ConnectToPort(const std::string& port) { return connection_.ConnectToPort(port); }
    // Start-up: the port dialog, the connection, the tree filled.
    void ConnectAtStart() { connection_.RunConnect(false); }
    void OnDeviceConnect() { connection_.RunConnect(session_.PhoneReady()); }  // Device > Connect
    void OnTimer() { connection_.OnTimer(); }  // the 500 ms connection watch
    QTimer* ConnectionTimer() const { return connection_.Timer(); }
    // The connection watch's device work is waiting on a thread of its own.
    bool Watching() const { return connection_.Watching(); }

    // The commands, each the slot of its menu, toolbar and context-menu action. Delete: the
    // pane that has the focus (or whose context menu is open) decides what goes.
    void OnDelete();
    void OnSizeModeChanged(int sizeMode);
    void OnModuleList();
    void OnNewFile() { RunFromSelection(&CDialogCommands::NewFile, true); }
    void OnNewDirectory() { RunFromSelection(&CDialogCommands::NewDirectory, true); }
    void OnNewModule();
    void OnDeleteDirectory(bool fromDeleteKey);
    void OnDeleteRows();
    void OnDeleteModule();
    void OnCopyFromDevice() { RunFromSelection(&CDialogCommands::CopyFromDevice, false); }
    void OnReset() { CCommandInProgress busy; session_.Reset(); }
    void OnOffline() { CCommandInProgress busy; session_.Offline(); }
    // Copies dropped PC paths to the directory of target, one after the other.
    void DropItems(const QStringList& pcPaths, QTreeWidgetItem* target);
    // A drop on the list: into the selected node, or into the one selected directory row.
    void DropOnList(const QStringList& pcPaths);
    // The list's double-click: a single Directory or Module row opens its directory.
    void OnListRowActivated();
    void OpenParentFolder();  // selects the selected node's parent
    void RefreshSelected();   // reads the selected folder again into the tree and the list
    void ShowTreeContextMenu(const QPoint& globalPosition);
    void ShowListContextMenu(const QPoint& globalPosition);

signals:
    // A connection attempt by ConnectToPort has ended with result (0: connected).
    void ConnectionAttempted(const QString& portName, int result);
    // The connection pane should show these figures (see ConnectionStatusText).
    void ConnectionStatusChanged(int freeKb, int totalKb);
    // Something the enabling rules read has changed (the statistics of a new connection).
    void CommandStatesChanged();
    // Shows items as a context menu at globalPosition and returns once it has closed.
    void ContextMenuRequested(const std::vector<CMenuItem>& items, bool topNodeOrNoneSelected,
                              const QPoint& globalPosition);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnItemExpandedOrCollapsed(QTreeWidgetItem* node);
    void OnCurrentItemChanged(QTreeWidgetItem* current);
    void PopulateBehindWaitWindow();
    void OnReconnected();  // fills the tree and opens the folder selected when it emptied
    // Empty tree and list, "Disconnected", device commands off; keeps the selected folder.
    void ShowDisconnected();
    CDeviceFolder FolderOf(const QTreeWidgetItem& node) const  // as the session takes it
    {
        return {NodePath(node), &node == TopNode(), {}};
    }
    std::vector<CListRow> SelectedListRows() const;
    bool TopOrNoneSelected() const { return currentItem() == nullptr || currentItem() == TopNode(); }
    using DialogCommand = void (CDialogCommands::*)(const CDeviceFolder*,
                                                   const std::vector<CListRow>&);
    // Runs a dialog command from the selected folder and the list's selected rows. opensFolder:
    // the command needs the list and expands the selected node.
    void RunFromSelection(DialogCommand command, bool opensFolder);
    void ShowCreated(const std::string& path);
    void RefreshTop();

    CDeviceSession session_;
    QPointer<CTarlo32View> list_;
    CTreeDropTarget* dropTarget_;
    std::string rootPath_;
    bool listShowsRoot_ = false;
    bool listContextMenuOpen_ = false;
    std::string lostSelection_;
    CWindowConnection connection_;
    CDialogCommands dialogCommands_;
};
