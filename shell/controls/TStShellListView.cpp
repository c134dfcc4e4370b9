#include "shell/controls/TStShellListView.h"

#include "platform/namespace/ItemNames.h"
#include "shell/controls/ShellDragData.h"
#include "shell/controls/ShellItemRename.h"
#include "shell/controls/ShellListModel.h"
#include "shell/controls/SuspendedUpdates.h"
#include "shell/controls/TStShellTreeView.h"
#include "shell/controls/WaitCursor.h"
#include "shell/items/ShellErrors.h"

#include <QAction>
#include <QActionGroup>
#include <QDesktopServices>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace orbisk {

namespace {

constexpr int WatcherQueueLimit = 5;

// Two items name the same entry: same last element, same folder.
bool SameIdentity(const TStShellItem& item, const ItemIdList& absolute)
{
    if (!item.HasIdList() || item.RelativeIdList().IsEmpty() || absolute.IsEmpty())
        return item.HasIdList() && item.AbsoluteIdList() == absolute;
    return item.RelativeIdList().LastKind() == absolute.LastKind() &&
           item.RelativeIdList().LastName() == absolute.LastName() && item.AbsoluteIdList() == absolute;
}

QUrl FileUrlOf(const TStShellItem& item)
{
    return QUrl::fromEncoded(UriListOf({item.NativePath()}).trimmed());
}

} // namespace

std::unique_ptr<TStShellFolder> TStShellListView::FolderCopy(const TStShellItem& item)
{
    auto copy = std::make_unique<TStShellFolder>();
    copy->Assign(item);
    return copy;
}

TStShellListView::TStShellListView(QWidget* parent)
    : QWidget(parent), model_(new TStShellListModel(this)), selection_(new QItemSelectionModel(model_, this)),
      stack_(new QStackedWidget(this)), iconView_(new TStIconView), reportView_(new TStReportView),
      watcher_(new TStShellNotification(this)), reader_(std::make_unique<TStFolderReader>(this))
{
    resize(270, 180);
    // A pane may squeeze the list as far as it likes, as it could a plain
    // list control; the views do not hold it at their own minimum.
    setMinimumSize(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(stack_);
    stack_->addWidget(iconView_);
    stack_->addWidget(reportView_);

    iconView_->setUniformItemSizes(true);
    iconView_->setWordWrap(false);
    iconView_->setResizeMode(QListView::Adjust);
    iconView_->setMovement(QListView::Static);
    iconView_->setTextElideMode(Qt::ElideRight);
    reportView_->setRootIsDecorated(false);
    reportView_->setUniformRowHeights(true);
    reportView_->setItemsExpandable(false);
    reportView_->setAllColumnsShowFocus(true);
    reportView_->setSortingEnabled(false);
    reportView_->header()->setSectionsClickable(true);
    reportView_->header()->setSectionsMovable(false);
    reportView_->header()->setStretchLastSection(false);
    reportView_->header()->setSortIndicatorShown(true);
    connect(reportView_->header(), &QHeaderView::sectionClicked, this, &TStShellListView::ColumnClick);

    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(iconView_), static_cast<QAbstractItemView*>(reportView_)}) {
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        view->installEventFilter(this);
        connect(view, &QAbstractItemView::doubleClicked, this, [this] { DblClick(); });
        connect(view, &QAbstractItemView::clicked, this, [this] { Clicked(); });
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
            if (popupMenu_)
                popupMenu_->popup(view->viewport()->mapToGlobal(at));
        });
    }
    connect(selection_, &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { NoteCurrentItem(current); });
    connect(selection_, &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                if (selection_->currentIndex().isValid())
                    NoteCurrentItem(selection_->currentIndex());
                else if (!selected.isEmpty())
                    NoteCurrentItem(selected.indexes().constLast());
                else if (!deselected.isEmpty())
                    NoteCurrentItem(deselected.indexes().constLast());
            });

    model_->RenameItem = [this](TStShellItem& item, const QString& name) { return RenameItem(item, name); };
    model_->SetOptions(options_);
    watcher_->SetQueueLimit(WatcherQueueLimit);
    watcher_->OnShellChangeNotify = [this](QObject*, TStShellItem* oldItem, TStShellItem* newItem,
                                           TStNotifyEventsSet events) { ShellChanged(oldItem, newItem, events); };

    BuildViewMenu();
    popupMenu_ = viewMenu_;
    SetMultiSelect(true);
    SetReadOnly(false);
    UseController(std::make_shared<TStCustomShellController>());
    ApplyViewStyle();
}

TStShellListView::~TStShellListView()
{
    reader_.reset();
    watcher_->SetActive(false);
    if (controller_ && controller_->List() == this)
        controller_->SetList(nullptr);
    // The views go before the items their rows point at.
    delete stack_;
    stack_ = nullptr;
}

void TStShellListView::UseController(std::shared_ptr<TStCustomShellController> controller)
{
    if (controller_ == controller)
        return;
    if (controller_ && controller_->List() == this)
        controller_->SetList(nullptr);
    controller_ = std::move(controller);
    if (controller_)
        controller_->SetList(this);
    model_->SetController(controller_.get());
}

// ---- Linking and filling --------------------------------------------------

void TStShellListView::SetTreeView(TStShellTreeView* tree)
{
    if (!tree || tree == treeView_) {
        treeView_ = tree;
        return;
    }
    root_ = FolderChoice();
    treeView_ = tree;
    if (tree->Controller())
        UseController(tree->Controller());
    if (const TStShellFolder* selected = tree->SelectedFolder()) {
        const auto folder = FolderCopy(*selected);
        Fill(folder.get());
    }
}

void TStShellListView::ShowFolder(const TStShellItem& folder)
{
    // The item may be one of the list's own (a folder opened in the list):
    // the fill frees those, so it works on a copy.
    const auto copy = FolderCopy(folder);
    Fill(copy.get());
}

void TStShellListView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (std::exchange(created_, true))
        return;
    if (treeView_) {
        if (treeView_->Controller())
            UseController(treeView_->Controller());
        if (currentFolder_)
            return;
        const TStShellItem* from = treeView_->SelectedFolder();
        if (!from)
            from = treeView_->RootItem();
        // A tree that has not built its nodes yet has nothing to show.
        if (from)
            ShowFolder(*from);
    } else if (!currentFolder_) {
        // A root folder that has gone since it was set leaves the list empty:
        // nothing may be thrown out of an event handler.
        try {
            FillFromRoot();
        } catch (const EStInvalidFolder&) {
        }
    }
}

void TStShellListView::FreeItems()
{
    ++generation_;
    model_->Clear();
    currentItem_ = nullptr;
    allItems_.Clear();
}

void TStShellListView::EmptyList()
{
    StopReading();
    FreeItems();
    sortColumn_ = 0;
    currentFolder_.reset();
    directory_.reset();
    watcher_->SetActive(false);
    UpdateSortIndicator();
}

void TStShellListView::FillFromRoot()
{
    Fill(nullptr);
}

void TStShellListView::Fill(const TStShellItem* folder)
{
    const SuspendedUpdates suspended(this);
    std::optional<ItemIdList> remembered;
    if (currentItem_ && currentItem_->HasIdList())
        remembered = currentItem_->AbsoluteIdList();
    StopReading();
    columnsBuilt_ = false;
    detailsBuilt_ = false;
    FreeItems();
    sortColumn_ = 0;

    // Without a folder the list stays empty and follows none: a change in
    // the folder shown before must not bring it back.
    std::unique_ptr<TStShellFolder> made;
    if (!folder) {
        if (!controller_ || root_.IsEmpty()) {
            EmptyList();
            return;
        }
        std::optional<ItemIdList> list;
        try {
            list = root_.IdList();
        } catch (const EStInvalidFolder&) {
            root_.SetPath({});
            EmptyList();
            throw;
        }
        // A role with no folder on this desktop shows nothing.
        if (!list) {
            EmptyList();
            return;
        }
        made = std::make_unique<TStShellFolder>(*list, controller_.get());
        folder = made.get();
    }
    {
        const WaitCursor wait;
        Enumerate(*folder);
    }
    const bool report = viewStyle_ == TViewStyle::vsReport;
    if (report)
        BuildColumns(*folder);
    currentFolder_ = FolderCopy(*folder);
    if (report)
        detailsBuilt_ = true;
    ShowRows(RankedItems());
    if (remembered)
        currentItem_ = FindItem(*remembered);
    UpdateSortIndicator();
    if (OnListFilled)
        OnListFilled(this);
    WatchCurrentFolder();
}

void TStShellListView::Enumerate(const TStShellItem& folder)
{
    // Held for the details of this folder's items until the next read.
    const std::string path = folder.NativePath();
    directory_ = path.empty() ? nullptr : std::make_unique<DirectoryFindData>(path);
    controller_->EnumerateFolder(folder, *this);
}

void TStShellListView::AddItem(std::unique_ptr<TStShellItem> item, const QPersistentModelIndex&, uint32_t)
{
    if (viewStyle_ == TViewStyle::vsReport)
        ComputeItemDetails(*item, directory_.get());
    allItems_.Add(std::move(item));
}

void TStShellListView::WatchCurrentFolder()
{
    watcher_->SetActive(false);
    watcher_->SetWatchIdList(currentFolder_->AbsoluteIdList());
    watcher_->SetQueueLimit(WatcherQueueLimit);
    watcher_->SetActive(true);
}

// Every item with its place in name order.
std::vector<TStListRow> TStShellListView::RankedItems() const
{
    std::vector<TStListRow> rows;
    rows.reserve(std::size_t(allItems_.Count()));
    for (const auto& item : allItems_)
        if (item)
            rows.push_back({item.get(), 0});
    RankByName(rows);
    return rows;
}

// Sorts rows by the sort column and shows them, or only those that pass the
// file pattern.
void TStShellListView::ShowRows(std::vector<TStListRow> rows)
{
    SortRows(rows, {sortColumn_, options_.Contains(loSortTypeByExt)}, model_->Texts());
    if (PatternShown())
        std::erase_if(rows, [this](const TStListRow& r) { return !PassesPattern(*r.item); });
    model_->Reset(std::move(rows));
}

TStShellItem* TStShellListView::FindItem(const ItemIdList& absolute) const
{
    for (const auto& item : allItems_)
        if (item && SameIdentity(*item, absolute))
            return item.get();
    return nullptr;
}

// ---- Properties -----------------------------------------------------------

void TStShellListView::SetRootFolder(const QString& path)
{
    root_.SetPath(path);
    if (path.isEmpty())
        EmptyList();
    else
        FillFromRoot();
}

void TStShellListView::SetSpecialRootFolder(TStSpecialRootFolder folder)
{
    if (!root_.SetSpecial(folder))
        return;
    if (folder == sfNone)
        EmptyList();
    else
        FillFromRoot();
}

void TStShellListView::SetCompressedColor(const QColor& color)
{
    compressedColor_ = color;
    model_->SetCompressedColor(color);
    model_->AllRowsChanged();
}

void TStShellListView::SetOptimization(TStOptimization optimization)
{
    optimization_ = optimization;
    model_->SetOptimization(optimization);
}

void TStShellListView::SetOptions(TStListOptionsSet options)
{
    const bool recolour = options.Contains(loColorCompressed) != options_.Contains(loColorCompressed);
    options_ = options;
    model_->SetOptions(options);
    const bool drag = options.Contains(loAllowDrag);
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(iconView_), static_cast<QAbstractItemView*>(reportView_)}) {
        view->setDragEnabled(drag);
        view->setDragDropMode(drag ? QAbstractItemView::DragOnly : QAbstractItemView::NoDragDrop);
    }
    SetReadOnly(readOnly_);
    if (recolour)
        model_->AllRowsChanged();
}

bool TStShellListView::PatternShown() const
{
    return !fileFilter_.isEmpty() && filtered_ && !OnFilterItem;
}

bool TStShellListView::PassesPattern(const TStShellItem& item) const
{
    if (item.IsFileSystemFolder())
        return true;
    const QString path = item.Path();
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const QRegularExpression pattern(fileFilter_, QRegularExpression::CaseInsensitiveOption);
    return pattern.isValid() && pattern.match(name).hasMatch();
}

void TStShellListView::SetFileFilter(const QString& pattern)
{
    if (pattern == fileFilter_)
        return;
    const bool wasShown = PatternShown();
    fileFilter_ = pattern;
    if (!pattern.isEmpty() && filtered_ && OnFilterItem && currentFolder_) {
        const auto folder = FolderCopy(*currentFolder_);
        Fill(folder.get());
    } else if (wasShown || PatternShown()) {
        RefreshList(false);
    }
}

void TStShellListView::SetFiltered(bool filtered)
{
    if (filtered == filtered_)
        return;
    const bool wasShown = PatternShown();
    filtered_ = filtered;
    if (filtered && !fileFilter_.isEmpty() && OnFilterItem && currentFolder_) {
        const auto folder = FolderCopy(*currentFolder_);
        Fill(folder.get());
    } else if (wasShown || PatternShown()) {
        RefreshList(false);
    }
}

void TStShellListView::SetMultiSelect(bool on)
{
    multiSelect_ = on;
    const auto mode = on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection;
    iconView_->setSelectionMode(mode);
    reportView_->setSelectionMode(mode);
}

void TStShellListView::SetReadOnly(bool on)
{
    readOnly_ = on;
    const auto triggers =
        on || !options_.Contains(loAllowRename)
            ? QAbstractItemView::NoEditTriggers
            : QAbstractItemView::EditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    iconView_->setEditTriggers(triggers);
    reportView_->setEditTriggers(triggers);
}

bool TStShellListView::SortAscending() const
{
    return model_->Ascending();
}

// ---- View styles and columns ------------------------------------------------

void TStShellListView::SetViewStyle(TViewStyle style)
{
    viewStyle_ = style;
    ApplyViewStyle();
    if (!controller_)
        return;
    if (style != TViewStyle::vsReport) {
        model_->SetAscending(true);
        return;
    }
    if (model_->Count() == 0 || !currentFolder_)
        return;
    const SuspendedUpdates suspended(this);
    if (!columnsBuilt_)
        BuildColumns(*currentFolder_);
    if (!detailsBuilt_) {
        ComputeAllDetails();
        detailsBuilt_ = true;
    }
    // Entering report view always ends sorted by name, ascending.
    if (sortColumn_ == 0)
        model_->SetAscending(true);
    else
        ColumnClick(0);
    UpdateSortIndicator();
}

void TStShellListView::ComputeAllDetails()
{
    for (const auto& item : allItems_)
        if (item)
            ComputeItemDetails(*item, directory_.get());
    model_->AllRowsChanged();
}

void TStShellListView::ApplyViewStyle()
{
    const bool report = viewStyle_ == TViewStyle::vsReport;
    model_->SetReportView(report);
    model_->SetIconSize(viewStyle_ == TViewStyle::vsIcon ? 32 : 16);
    switch (viewStyle_) {
    case TViewStyle::vsIcon:
        iconView_->setViewMode(QListView::IconMode);
        iconView_->setFlow(QListView::LeftToRight);
        iconView_->setIconSize(QSize(32, 32));
        iconView_->setGridSize(QSize(96, 64));
        break;
    case TViewStyle::vsSmallIcon:
        iconView_->setViewMode(QListView::IconMode);
        iconView_->setFlow(QListView::LeftToRight);
        iconView_->setIconSize(QSize(16, 16));
        iconView_->setGridSize(QSize(96, 40));
        break;
    case TViewStyle::vsList:
        iconView_->setViewMode(QListView::ListMode);
        iconView_->setFlow(QListView::TopToBottom);
        iconView_->setIconSize(QSize(16, 16));
        iconView_->setGridSize(QSize(180, 20));
        break;
    case TViewStyle::vsReport:
        break;
    }
    // Icon modes move items by default; these stay where the order puts them.
    iconView_->setMovement(QListView::Static);
    iconView_->setWrapping(true);
    iconView_->setResizeMode(QListView::Adjust);
    AttachView(report ? static_cast<QAbstractItemView*>(reportView_) : iconView_);
    if (viewActions_) {
        const QList<QAction*> actions = viewActions_->actions();
        for (QAction* a : actions)
            if (a->isChecked() && a->data().toInt() != int(viewStyle_))
                a->setChecked(false);
    }
}

// Only the view of the current style is attached to the model, so the other
// does not lay out every row again on each change. The selection model is
// shared: the selection survives a change of style.
void TStShellListView::AttachView(QAbstractItemView* view)
{
    QAbstractItemView* other = view == reportView_ ? static_cast<QAbstractItemView*>(iconView_) : reportView_;
    if (other->model() == model_)
        other->setModel(nullptr);
    if (view->model() != model_) {
        // Each setModel makes a selection model of the view's own; neither
        // is used, so neither is kept.
        QItemSelectionModel* before = view->selectionModel();
        view->setModel(model_);
        QItemSelectionModel* made = view->selectionModel();
        view->setSelectionModel(selection_);
        for (QItemSelectionModel* unused : {before, made})
            if (unused && unused != selection_ && unused->parent() == view)
                delete unused;
    }
    stack_->setCurrentWidget(view);
    setFocusProxy(view);
    if (view == reportView_) {
        const std::vector<TStListColumn> columns = ReportColumns(model_->ColumnSet());
        for (std::size_t i = 0; i < columns.size(); ++i)
            reportView_->header()->resizeSection(int(i), columns[i].width);
    }
}

void TStShellListView::BuildColumns(const TStShellItem& folder)
{
    model_->SetColumns(ColumnSetFor(folder));
    const std::vector<TStListColumn> columns = ReportColumns(model_->ColumnSet());
    for (std::size_t i = 0; i < columns.size(); ++i)
        reportView_->header()->resizeSection(int(i), columns[i].width);
    columnsBuilt_ = true;
}

void TStShellListView::ColumnClick(int column)
{
    if (column < 0 || column >= model_->columnCount())
        return;
    if (column == sortColumn_) {
        model_->SetAscending(!model_->Ascending());
    } else {
        sortColumn_ = column;
        QAbstractItemView* view = View();
        const int top = view->indexAt(QPoint(1, 1)).row();
        std::vector<TStListRow> rows = model_->Rows();
        SortRows(rows, {sortColumn_, options_.Contains(loSortTypeByExt)}, model_->Texts());
        model_->Rearrange(std::move(rows), true);
        if (top >= 0)
            view->scrollTo(model_->index(top, 0), QAbstractItemView::PositionAtTop);
    }
    UpdateSortIndicator();
}

void TStShellListView::UpdateSortIndicator()
{
    reportView_->header()->setSortIndicator(sortColumn_,
                                            model_->Ascending() ? Qt::AscendingOrder : Qt::DescendingOrder);
}

QAbstractItemView* TStShellListView::View() const
{
    if (viewStyle_ == TViewStyle::vsReport)
        return reportView_;
    return iconView_;
}

void TStShellListView::BuildViewMenu()
{
    viewMenu_ = new QMenu(this);
    viewActions_ = new QActionGroup(viewMenu_);
    viewActions_->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    const std::pair<const char*, TViewStyle> entries[] = {
        {"Lar&ge Icons", TViewStyle::vsIcon},
        {"S&mall Icons", TViewStyle::vsSmallIcon},
        {"&List", TViewStyle::vsList},
        {"&Details", TViewStyle::vsReport},
    };
    for (const auto& [caption, style] : entries) {
        QAction* action = viewMenu_->addAction(QString::fromLatin1(caption));
        action->setCheckable(true);
        action->setData(int(style));
        viewActions_->addAction(action);
        connect(action, &QAction::triggered, this, [this, action, s = style] {
            SetViewStyle(s);
            action->setChecked(true);
        });
    }
}

// ---- Selection, clicks and double-clicks ----------------------------------

void TStShellListView::NoteCurrentItem(const QModelIndex& index)
{
    if (TStShellItem* item = model_->ItemAtRow(index.row()); index.isValid() && item)
        currentItem_ = item;
}

std::vector<TStShellItem*> TStShellListView::SelectedItems() const
{
    QModelIndexList rows = selection_->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<TStShellItem*> items;
    items.reserve(std::size_t(rows.size()));
    for (const QModelIndex& index : rows)
        if (TStShellItem* item = model_->ItemAtRow(index.row()))
            items.push_back(item);
    return items;
}

void TStShellListView::Clicked()
{
    if (!OnItemSelected)
        return;
    const std::vector<TStShellItem*> selected = SelectedItems();
    if (!selected.empty())
        OnItemSelected(this, selected.front());
}

void TStShellListView::DblClick()
{
    const std::vector<TStShellItem*> selected = SelectedItems();
    if (selected.empty())
        return;
    TStShellItem* item = selected.front();
    bool defaultAction = true;
    const uint64_t generation = generation_;
    if (OnItemDblClick)
        OnItemDblClick(this, item, defaultAction);
    // The handler may have filled the list again, which freed the item.
    if (!defaultAction || generation != generation_)
        return;
    if (openDialogMode_) {
        if (item->IsFolder())
            OpenInPlace(*item);
        return;
    }
    if (item->IsFileSystem() && !item->IsFileSystemFolder())
        OpenWithShell(*item);
    else if (!item->IsFolder())
        return; // nothing outside the file system opens here
    else if (options_.Contains(loOpenFoldersInNewWindow))
        OpenWithShell(*item);
    else
        OpenInPlace(*item);
}

void TStShellListView::OpenInPlace(const TStShellItem& item)
{
    // The fill frees the item: everything after this uses the copy.
    const auto copy = FolderCopy(item);
    if (treeView_)
        treeView_->SelectChildByName(*copy);
    Fill(copy.get());
}

void TStShellListView::OpenWithShell(const TStShellItem& item)
{
    if (!item.NativePath().empty())
        QDesktopServices::openUrl(FileUrlOf(item));
}

bool TStShellListView::RenameItem(TStShellItem& item, const QString& name)
{
    const std::string path = item.NativePath();
    if (path.empty() || !item.CanRename())
        return false;
    // The watcher reports the rename; the list reads the folder again then.
    return RenameInPlace(path, name).ok();
}

bool TStShellListView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == View()) {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (OnKeyDown) {
                auto* key = static_cast<QKeyEvent*>(event);
                int code = key->key();
                OnKeyDown(this, code, key->modifiers());
            }
            break;
        case QEvent::FocusIn:
            if (OnEnter)
                OnEnter(this);
            break;
        case QEvent::FocusOut:
            if (OnExit)
                OnExit(this);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orbisk
