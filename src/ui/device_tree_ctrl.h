// The tree of the device's directories. Despite its name it also takes the drops and deletes
// of the list beside it: it is where the window's device commands arrive. It holds the window's
// device session (session/device_session.h), which owns the link and decides every command;
// the tree turns events and dialogs into session calls and shows the answers. It knows the list
// it fills and nothing of the frame: what the frame shows (the connection pane, the command
// states, the context menus) it asks for through signals.
//
// Items carry only their label; a node's device path is rebuilt from the labels up to the top
// node "/" (see node_paths.h). Directories are read lazily: every node starts with an unread
// placeholder child, and every expansion or collapse re-reads its subdirectories.
//
// The member functions are spread over files by job: the tree and its refreshes here
// (device_tree_ctrl.cpp), the connection (tree_connection.cpp) and the commands
// (tree_commands.cpp).
#pragma once

#include <QPersistentModelIndex>
#include <QPointer>
#include <QTreeWidget>
#include <memory>
#include <string>

#include "report/app_messages.h"
#include "session/device_session.h"
#include "session/node_paths.h"
#include "ui/command_table.h"

class CDiagPort;
class CTarlo32View;
class CNewFileDialog;
class CNewModuleDialog;
class CCopyFromPhoneDialog;
class QTimer;

// Lets the path rules walk the tree widget's items.
template <>
struct NodeAccess<QTreeWidgetItem> {
    static std::string Label(const QTreeWidgetItem& item) { return item.text(0).toStdString(); }
    static const QTreeWidgetItem* Parent(const QTreeWidgetItem& item) { return item.parent(); }
    static std::size_t ChildCount(const QTreeWidgetItem& item)
    {
        return static_cast<std::size_t>(item.childCount());
    }
    static const QTreeWidgetItem* Child(const QTreeWidgetItem& item, std::size_t index)
    {
        return item.child(static_cast<int>(index));
    }
};

// What a refresh lists a directory into.
enum class RefreshMode : int { treeOnly = 0, listOnly = 1, treeAndList = 2 };

// Shown after "could not open the port" when the port refused us for want of permission.
extern const char* const permissionHintText;

class CDeviceTreeCtrl : public QTreeWidget {
    Q_OBJECT
public:
    explicit CDeviceTreeCtrl(QWidget* parent = nullptr);
    ~CDeviceTreeCtrl() override;

    // The list the tree fills with the selected directory's entries and reads selections from.
    void SetListView(CTarlo32View* list);

    // The top node "/" (the device root), or nullptr while the tree is empty.
    QTreeWidgetItem* TopNode() const;

    // Replaces the tree's content by the top node "/" with its unread placeholder child.
    QTreeWidgetItem* ResetToTopNode();

    // Adds a directory node labelled label under parent, with its unread placeholder child.
    QTreeWidgetItem* AddDirectoryNode(QTreeWidgetItem* parent, const QString& label);

    std::string NodePath(const QTreeWidgetItem& node, const std::string& rootPath) const;
    std::string NodePath(const QTreeWidgetItem& node) const;  // under the tree's root path
    QTreeWidgetItem* NodeByPath(const std::string& dialogPath, const std::string& rootPath) const;
    QTreeWidgetItem* NodeByPath(const std::string& dialogPath) const;

    // --- The tree and the list -----------------------------------------------------------
    // Rebuilds the tree as the top node alone, starts the connection watch and marks the module
    // list stale. The caller then expands and selects the top node (ExpandAndSelectTop).
    bool Populate();
    void ExpandAndSelectTop();
    // Lists one directory into the tree, the list or both.
    void RefreshNode(QTreeWidgetItem* node, const std::string& path, RefreshMode mode,
                     bool clearChildren);
    // Expands the selected node and selects its child directory name (refilling the list).
    void OpenSubdirectory(const QString& name);
    // The node a list row names: the selected node's child directory called name.
    QTreeWidgetItem* SubdirectoryNode(const QString& name);
    QTreeWidgetItem* DropHighlightedNode() const;

    // --- Connection -------------------------------------------------------------------------
    CDiagPort* Link() const { return session_.Link(); }
    CDeviceSession& Session() { return session_; }
    // Replaces the link by a new one on portName and checks the handset: 0, 21, 22, 24 or 25.
    // Remembers the port only after a connection that fully succeeded.
    AppMessage ConnectToPort(const std::string& portName);
    // Start-up's connect command: the port dialog, the connection, then the tree filled.
    void ConnectAtStart();
    void OnDeviceConnect();  // Device > Connect
    void OnTimer();          // the 500 ms connection watch
    QTimer* ConnectionTimer() const { return timer_; }

    // --- Commands (each the slot of its menu, toolbar and context-menu action) ----------------
    // Delete: the pane that has the focus (or whose context menu is open) decides what goes.
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
    void ShowTreeContextMenu(const QPoint& globalPosition);
    void ShowListContextMenu(const QPoint& globalPosition);

    const CModuleCache& ModuleCache() const { return session_.ModuleCache(); }

    // The dialogs that keep what was typed into them for the life of the tree.
    CNewFileDialog* NewFileDialog();
    CNewModuleDialog* NewModuleDialog();
    CCopyFromPhoneDialog* CopyFromPhoneDialog();

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
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    CTarlo32View* ListView() const;
    void SetDropHighlight(QTreeWidgetItem* node);
    void OnItemExpandedOrCollapsed(QTreeWidgetItem* node);
    void OnCurrentItemChanged(QTreeWidgetItem* current);
    void RunConnectCommand();
    void PopulateBehindWaitWindow();
    void ShowConnectionState();
    // The device folder of a node, as the session takes it.
    CDeviceFolder FolderOf(const QTreeWidgetItem& node) const;
    std::vector<CListRow> SelectedListRows() const;
    bool PresetFromSelection(QString& path);
    void RefreshTop();

    CDeviceSession session_;
    QPointer<CTarlo32View> list_;
    QTimer* timer_;
    std::string rootPath_;
    bool listShowsRoot_ = false;
    bool listContextMenuOpen_ = false;
    QPersistentModelIndex dropHighlight_;
    std::unique_ptr<CNewFileDialog> newFileDialog_;
    std::unique_ptr<CNewModuleDialog> newModuleDialog_;
    std::unique_ptr<CCopyFromPhoneDialog> copyFromPhoneDialog_;
};
