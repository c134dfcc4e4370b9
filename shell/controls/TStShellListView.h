#pragma once

#include "shell/controls/FolderReader.h"
#include "shell/controls/ListOptions.h"
#include "shell/controls/ListSort.h"
#include "shell/controls/ListViews.h"
#include "shell/controls/ViewStyle.h"
#include "shell/items/FolderChoice.h"
#include "shell/items/ShellConsumer.h"
#include "shell/items/ShellController.h"
#include "shell/items/ShellItem.h"
#include "shell/items/ShellItemList.h"
#include "shell/notify/ShellNotification.h"

#include <QColor>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QAbstractItemView;
class QActionGroup;
class QItemSelectionModel;
class QMenu;
class QStackedWidget;

namespace orbisk {

class TStShellTreeView;
class TStShellListModel;

// Before the default action of a double-click; DefaultAction comes in true.
using TStItemDblClickEvent = std::function<void(QObject* Sender, TStShellItem* Item, bool& DefaultAction)>;
// An item was clicked.
using TStItemSelectedEvent = std::function<void(QObject* Sender, TStShellItem* Item)>;
// A key went down in the list; the list's own handling still sees it.
using TStKeyEvent = std::function<void(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift)>;

// The file list: the items of one shell folder in one of four view styles,
// sorted by a column, kept current while the folder changes.
//
// What a linked folder tree and the main window rely on (kept stable while
// the two controls are built side by side):
//   SetTreeView / TreeView      the linked tree (the tree's ListView is set by the tree)
//   Controller                  the shell context the pair shares
//   ShowFolder                  fill the list with the folder an item names
//   CurrentItem                 the item of the focused row, or none
//
// One model answers every row when a view asks for it; a view for the icon
// styles and one for report view show it, only the one of the current style
// attached. Items live in the list's own item list; rows, CurrentItem and
// the events point into it, and every fill or refresh that frees items
// clears those pointers or moves them to the re-read items.
class TStShellListView : public QWidget, public TStShellConsumer {
    Q_OBJECT
public:
    explicit TStShellListView(QWidget* parent = nullptr);
    ~TStShellListView() override;

    TStShellTreeView* TreeView() const { return treeView_; }
    // Linking a new tree empties RootFolder and SpecialRootFolder, takes the
    // tree's controller when it has one, and shows the tree's selected
    // folder when there is one.
    void SetTreeView(TStShellTreeView* tree);

    const std::shared_ptr<TStCustomShellController>& Controller() const { return controller_; }

    // Fills the list with the folder an item names (a linked tree calls it).
    void ShowFolder(const TStShellItem& folder);
    // The item of the row named in the last selection or focus change (also
    // a row just deselected); none after a fill or refresh that freed it and
    // found no re-read item with the same identity.
    TStShellItem* CurrentItem() const { return currentItem_; }

    // Published properties.
    const QColor& CompressedColor() const { return compressedColor_; }
    void SetCompressedColor(const QColor& color);
    bool Filtered() const override { return filtered_; }
    void SetFiltered(bool filtered);
    // A regular expression for file names, case ignored; with Filtered on and
    // no OnFilterItem, only folders and matching files are shown.
    const QString& FileFilter() const { return fileFilter_; }
    void SetFileFilter(const QString& pattern);
    // Double-clicks open folders in the list and never hand a file on.
    bool OpenDialogMode() const { return openDialogMode_; }
    void SetOpenDialogMode(bool on) { openDialogMode_ = on; }
    TStOptimization Optimization() const override { return optimization_; }
    void SetOptimization(TStOptimization optimization);
    TStListOptionsSet Options() const { return options_; }
    void SetOptions(TStListOptionsSet options);
    // A folder path to show; empty empties the list. EStInvalidFolder (and
    // RootFolder emptied) when it cannot be parsed.
    const QString& RootFolder() const { return root_.Path(); }
    void SetRootFolder(const QString& path);
    // A special folder to show; sfNone empties the list.
    TStSpecialRootFolder SpecialRootFolder() const { return root_.Special(); }
    void SetSpecialRootFolder(TStSpecialRootFolder folder);
    TViewStyle ViewStyle() const { return viewStyle_; }
    void SetViewStyle(TViewStyle style);

    // Settings of the views themselves.
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool on);
    // Captions cannot be edited (no in-place renaming).
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on);
    // The menu a right-click shows: the view menu unless an owner sets
    // another (or none).
    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
    QMenu* ViewMenu() const { return viewMenu_; }

    // Events. OnFilterItem (the veto asked for each item while a folder is
    // read, when Filtered is on) comes with the shell consumer.
    TStItemDblClickEvent OnItemDblClick;
    TStItemSelectedEvent OnItemSelected;
    TStShellNotifyEvent OnListFilled;
    // A change of the shown folder, after the list has answered it: an
    // attribute change has updated that row in report view; any other change
    // has started a read of the folder on a worker (RefreshPending), whose
    // items are shown when it ends.
    TStShellNotifyEvent3 OnShellChangeNotify;
    // Keys and focus of the views.
    TStKeyEvent OnKeyDown;
    TStShellNotifyEvent OnEnter;
    TStShellNotifyEvent OnExit;

    // The folder shown; none before the first fill and after emptying.
    const TStShellFolder* CurrentFolder() const { return currentFolder_.get(); }
    int SortColumn() const { return sortColumn_; }
    bool SortAscending() const;
    bool ColumnsBuilt() const { return columnsBuilt_; }
    bool DetailsBuilt() const { return detailsBuilt_; }
    // Always the list's own column sets here.
    bool StandardColumns() const { return true; }

    TStShellListModel* Model() const { return model_; }
    // The view of the current style, and the two views.
    QAbstractItemView* View() const;
    QListView* IconView() const { return iconView_; }
    QTreeView* ReportView() const { return reportView_; }
    QItemSelectionModel* SelectionModel() const { return selection_; }
    TStShellNotification& Watcher() const { return *watcher_; }
    // The items of the selected rows, top row first.
    std::vector<TStShellItem*> SelectedItems() const;

    // Reads the shown folder again, keeping the selection on the same item.
    void Refresh();
    // A click on a column header: the sort column flips direction; another
    // column becomes the sort column, ascending.
    void ColumnClick(int column);
    // The double-click action on the first selected row.
    void DblClick();

    // TStShellConsumer.
    TStConsumerKind ConsumerKind() const override { return TStConsumerKind::List; }
    bool ShowHidden() const override { return options_.Contains(loShowHidden); }
    QObject* SenderObject() override { return this; }
    void AddItem(std::unique_ptr<TStShellItem> item, const QPersistentModelIndex& parentNode,
                 uint32_t attributes) override;

    // The folder is being read again after a change (on a worker: changes
    // arriving meanwhile are answered by one more read, so many files
    // created at once neither read the folder once each nor hold the window).
    bool RefreshPending() const { return refreshPending_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Filling and showing (TStShellListView.cpp).
    // A copy of an item to fill from: a fill frees the list's own items.
    static std::unique_ptr<TStShellFolder> FolderCopy(const TStShellItem& item);
    void Fill(const TStShellItem* folder);
    void Enumerate(const TStShellItem& folder);
    void FillFromRoot();
    void EmptyList();
    void FreeItems();
    std::vector<TStListRow> RankedItems() const;
    void ShowRows(std::vector<TStListRow> rows);
    TStShellItem* FindItem(const ItemIdList& absolute) const;
    void UseController(std::shared_ptr<TStCustomShellController> controller);
    void WatchCurrentFolder();
    void BuildColumns(const TStShellItem& folder);
    void ComputeAllDetails();
    void ApplyViewStyle();
    void AttachView(QAbstractItemView* view);
    void BuildViewMenu();
    void UpdateSortIndicator();
    bool PatternShown() const;
    bool PassesPattern(const TStShellItem& item) const;
    void NoteCurrentItem(const QModelIndex& index);
    void Clicked();
    void OpenInPlace(const TStShellItem& item);
    void OpenWithShell(const TStShellItem& item);
    bool RenameItem(TStShellItem& item, const QString& name);

    // Following the folder (TStShellListChanges.cpp).
    // What a refresh finds again among the items it reads.
    struct Remembered {
        bool anySelected = false;
        std::optional<ItemIdList> selected;
        QString caption;
        int row = 0;
        std::optional<ItemIdList> current;
    };
    Remembered RememberSelection() const;
    void Restore(const Remembered& remembered);
    void Reselect(const TStShellItem* remembered, const QString& caption, int row);
    void RefreshList(bool reread);
    void ScheduleRefresh();
    void StopReading();
    void ApplyRead(TStFolderReader::Result result);
    void ShellChanged(TStShellItem* oldItem, TStShellItem* newItem, TStNotifyEventsSet events);
    bool ConcernsCurrentFolder(const TStShellItem* oldItem, const TStShellItem* newItem) const;
    void UpdateDetailsOf(const TStShellItem* changed);
    bool Editing() const;

    TStShellTreeView* treeView_ = nullptr;
    std::shared_ptr<TStCustomShellController> controller_;
    TStShellItem* currentItem_ = nullptr;

    QColor compressedColor_ = Qt::blue;
    bool filtered_ = false;
    QString fileFilter_;
    bool openDialogMode_ = false;
    TStOptimization optimization_ = otEnumerate;
    TStListOptionsSet options_{loAllowRename, loAllowDrag, loAllowDrop, loShellMenu};
    FolderChoice root_;
    TViewStyle viewStyle_ = TViewStyle::vsIcon;
    bool multiSelect_ = true;
    bool readOnly_ = false;

    TStShellItemList allItems_;
    std::unique_ptr<TStShellFolder> currentFolder_;
    std::unique_ptr<DirectoryFindData> directory_; // the folder the items were read from
    int sortColumn_ = 0;
    bool columnsBuilt_ = false;
    bool detailsBuilt_ = false;
    bool created_ = false;
    bool refreshPending_ = false;
    bool readAgain_ = false;
    uint64_t generation_ = 0; // counts the times the items were freed

    TStShellListModel* model_;
    QItemSelectionModel* selection_;
    QStackedWidget* stack_;
    TStIconView* iconView_;
    TStReportView* reportView_;
    TStShellNotification* watcher_;
    QMenu* viewMenu_ = nullptr;
    QActionGroup* viewActions_ = nullptr;
    QMenu* popupMenu_ = nullptr;
    std::unique_ptr<TStFolderReader> reader_;
};

} // namespace orbisk
