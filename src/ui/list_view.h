// The right pane: the entries of the selected directory (or the modules) as rows of Name, Size,
// Type and Modified, in one of four view modes. One model feeds an icon/list view and a details
// view, so switching modes never re-reads anything.
#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

#include "session/device_session.h"
#include "session/item_kind.h"
#include "session/menu_rules.h"
#include "session/module_cache.h"

class QKeyEvent;
class QListView;
class QStackedWidget;
class QStandardItemModel;
class QTreeView;
class QItemSelectionModel;

enum ListColumn : int { columnName = 0, columnSize, columnType, columnModified, columnCount };

// What the keys people use in file managers do in either pane: Enter opens, Backspace and
// Alt+Up go to the parent folder, F5 reads the folder again, Delete deletes the selection.
enum class FolderKey { none, open, parent, refresh, remove };
FolderKey FolderKeyOf(const QKeyEvent& key);

// The Size column's text: "%ld bytes", or empty for a size of -1.
QString SizeText(std::int64_t size);

class CTarlo32View : public QWidget {
    Q_OBJECT
public:
    explicit CTarlo32View(QWidget* parent = nullptr);

    // Appends a row; size -1 leaves the Size column empty.
    void AddItem(const QString& name, std::int64_t size, ItemKind kind, const QString& modified);
    void DeleteAllItems();
    int RowCount() const;
    QString Text(int row, ListColumn column) const;

    // Widens each column that its content or heading does not fit; none gets narrower than its
    // usual width.
    void FitColumns();
    // Replaces the rows by a directory's listing.
    void ShowRows(const std::vector<CDeviceRow>& rows);
    // Replaces the rows by Module rows, with their sizes when withSizes.
    void ShowModules(const std::vector<ModuleEntry>& modules, bool withSizes);

    // The kinds of the selected rows (read back from their Type texts), top to bottom.
    std::vector<ItemKind> SelectedRowKinds() const;
    std::vector<int> SelectedRows() const;
    // The selected rows' names and kinds, top to bottom; rows of no known kind are left out.
    std::vector<CListRow> SelectedListRows() const;

    ViewMode Mode() const { return mode_; }
    void SetMode(ViewMode mode);
    void ArrangeIcons();  // snaps the icons to the grid in the two icon modes

    QStandardItemModel* Model() const { return model_; }
    QItemSelectionModel* Selection() const;
    QListView* IconView() const { return iconView_; }
    QTreeView* DetailsView() const { return detailsView_; }

signals:
    void SelectionChanged();
    // A row was double-clicked.
    void RowActivated();
    // Local files or folders from the desktop were dropped on the list.
    void FilesDropped(const QStringList& paths);
    void DeleteKeyPressed();
    void ParentFolderRequested();
    void RefreshRequested();
    void ContextMenuRequested(const QPoint& globalPosition);

protected:
    // Both views and their viewports report their drops, keys and menus through here.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QStandardItemModel* model_;
    QStackedWidget* stack_;
    QListView* iconView_;
    QTreeView* detailsView_;
    ViewMode mode_ = ViewMode::details;
};
