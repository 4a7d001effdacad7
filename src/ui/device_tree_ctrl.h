// The tree of the device's directories. Despite its name it also takes the list's drops and
// deletes: the window's device commands arrive here. It holds the window's device session,
// which owns the link and decides every command; the tree turns events and dialogs into session
// calls and shows the answers. It knows the list it fills and nothing of the frame: what the
// frame shows (the connection pane, the command states, the context menus) it asks for through
// signals.
//
// Items carry only their label; a node's device path is rebuilt from the labels up to the top
// node "/" (tree_items.h). Directories are read lazily: every expansion or collapse re-reads a
// node's subdirectories. Members by file: the tree here and in device_tree_ctrl.cpp, the
// connection in tree_connection.cpp, the commands in tree_commands.cpp.
#pragma once

#include <QPointer>
#include <QTreeWidget>
#include <memory>
#include <string>

#include "report/app_messages.h"
#include "session/device_session.h"
#include "ui/command_table.h"
#include "ui/tree_items.h"

class CTarlo32View;
class CTreeDropTarget;
class CNewFileDialog;
class CNewModuleDialog;
class CCopyFromPhoneDialog;
class QTimer;

// What a refresh lists a directory into.
enum class RefreshMode : int { treeOnly = 0, listOnly = 1, treeAndList = 2 };

class CDeviceTreeCtrl : public QTreeWidget {
    Q_OBJECT
public:
    explicit CDeviceTreeCtrl(QWidget* parent = nullptr);
    ~CDeviceTreeCtrl() override;

    // The list the tree fills with the selected directory's entries and reads selections from.
    void SetListView(CTarlo32View* list);
    QTreeWidgetItem* TopNode() const;  // the top node "/", or nullptr while the tree is empty
    std::string NodePath(const QTreeWidgetItem& node) const;  // under the tree's root path
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
    AppMessage ConnectToPort(const std::string& portName);
    void ConnectAtStart();   // start-up: the port dialog, the connection, the tree filled
    void OnDeviceConnect();  // Device > Connect
    void OnTimer();          // the 500 ms connection watch
    QTimer* ConnectionTimer() const { return timer_; }

    // The commands, each the slot of its menu, toolbar and context-menu action. Delete: the
    // pane that has the focus (or whose context menu is open) decides what goes.
    void OnDelete();
    void OnSizeModeChanged(int sizeMode);
    void OnModuleList();
    void OnNewFile();
    void OnNewDirectory();
    void OnNewModule();
    void OnDeleteDirectory(bool fromDeleteKey);
    void OnDeleteRows();
    void OnDeleteModule();
    void OnCopyFromDevice();
    void OnReset();
    void OnOffline();
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
    void RunConnect(bool askFirst);  // the connect command, with the question first if askFirst
    void PopulateBehindWaitWindow();
    void ShowConnectionState();
    void ShowDisconnected();  // empty tree and list, "Disconnected", device commands off
    CDeviceFolder FolderOf(const QTreeWidgetItem& node) const;  // as the session takes it
    std::vector<CListRow> SelectedListRows() const;
    bool TopOrNoneSelected() const { return currentItem() == nullptr || currentItem() == TopNode(); }
    bool PresetFromSelection(QString& path);
    void ShowCreated(const std::string& path);
    void RefreshTop();

    CDeviceSession session_;
    QPointer<CTarlo32View> list_;
    QTimer* timer_;
    CTreeDropTarget* dropTarget_;
    std::string rootPath_;
    bool listShowsRoot_ = false;
    bool listContextMenuOpen_ = false;
    // The dialogs that keep what was typed into them for the life of the tree.
    std::unique_ptr<CNewFileDialog> newFileDialog_;
    std::unique_ptr<CNewModuleDialog> newModuleDialog_;
    std::unique_ptr<CCopyFromPhoneDialog> copyFromPhoneDialog_;
};
