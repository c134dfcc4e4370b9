// How the file list follows its folder: refreshes, the reads of a changed
// folder on a worker, and the selection found again after them.

#include "shell/controls/TStShellListView.h"

#include "shell/controls/ShellListModel.h"
#include "shell/controls/SuspendedUpdates.h"

#include <algorithm>

namespace orbisk {

void TStShellListView::Refresh()
{
    RefreshList(true);
}

TStShellListView::Remembered TStShellListView::RememberSelection() const
{
    Remembered r;
    const std::vector<TStShellItem*> selected = SelectedItems();
    if (!selected.empty()) {
        r.anySelected = true;
        r.row = model_->RowOfItem(selected.front());
        r.caption = selected.front()->DisplayName();
        if (selected.front()->HasIdList())
            r.selected = selected.front()->AbsoluteIdList();
    }
    if (currentItem_ && currentItem_->HasIdList())
        r.current = currentItem_->AbsoluteIdList();
    return r;
}

// After the items were read again: CurrentItem moves to the re-read item of
// the same entry (or to none), and the selection is found again.
void TStShellListView::Restore(const Remembered& r)
{
    if (r.current && !currentItem_)
        currentItem_ = FindItem(*r.current);
    if (r.anySelected)
        Reselect(r.selected ? FindItem(*r.selected) : nullptr, r.caption, r.row);
}

void TStShellListView::RefreshList(bool reread)
{
    if (!currentFolder_)
        return;
    if (reread)
        StopReading(); // this read replaces one under way
    const Remembered remembered = RememberSelection();
    const SuspendedUpdates suspended(this);
    if (reread) {
        FreeItems();
        Enumerate(*currentFolder_);
        detailsBuilt_ = viewStyle_ == TViewStyle::vsReport;
    }
    ShowRows(RankedItems());
    Restore(remembered);
}

// The selection after a refresh: the same item when it is still there, else
// the first with the same caption, else the first whose caption holds the
// old one, else the row where the old selection was.
void TStShellListView::Reselect(const TStShellItem* remembered, const QString& caption, int row)
{
    if (model_->Count() == 0)
        return;
    int target = remembered ? model_->RowOfItem(remembered) : -1;
    const auto search = [&](auto matches) {
        for (int shown = 0; target < 0 && shown < model_->Count(); ++shown)
            if (matches(model_->Rows()[std::size_t(shown)].item->DisplayName()))
                target = model_->RowOfShownIndex(shown);
    };
    // A caption that only holds the old one (myicon.ico for icon.ico) is
    // the last resort before the old row.
    search([&](const QString& name) { return name == caption; });
    search([&](const QString& name) { return name.contains(caption, Qt::CaseSensitive); });
    if (target < 0)
        target = std::clamp(row, 0, model_->Count() - 1);
    const QModelIndex index = model_->index(target, 0);
    selection_->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    View()->scrollTo(index);
}

// Changes of the shown folder are answered by reading it again on a worker;
// changes that arrive meanwhile are answered by one more read after it.
void TStShellListView::ScheduleRefresh()
{
    if (!currentFolder_)
        return;
    refreshPending_ = true;
    if (reader_->Busy()) {
        readAgain_ = true;
        return;
    }
    TStFolderReader::Request request;
    request.folder = FolderCopy(*currentFolder_);
    request.showHidden = ShowHidden();
    request.optimization = optimization_;
    request.details = viewStyle_ == TViewStyle::vsReport;
    reader_->Start(std::move(request), [this](TStFolderReader::Result result) { ApplyRead(std::move(result)); });
}

void TStShellListView::StopReading()
{
    reader_->Cancel();
    readAgain_ = false;
    refreshPending_ = false;
}

void TStShellListView::ApplyRead(TStFolderReader::Result result)
{
    // An open editor would be closed by new rows: the read is dropped, and
    // the next change reads the folder again.
    if (Editing()) {
        StopReading();
        return;
    }
    const Remembered remembered = RememberSelection();
    const SuspendedUpdates suspended(this);
    FreeItems();
    const std::string path = currentFolder_->NativePath();
    directory_ = path.empty() ? nullptr : std::make_unique<DirectoryFindData>(path);
    std::vector<TStListRow> rows;
    rows.reserve(result.items.size());
    for (std::size_t i = 0; i < result.items.size(); ++i) {
        std::unique_ptr<TStShellItem>& item = result.items[i];
        bool accept = true;
        if (filtered_ && OnFilterItem)
            OnFilterItem(this, item.get(), accept);
        if (!accept)
            continue;
        rows.push_back({item.get(), result.nameRanks[i]});
        allItems_.Add(std::move(item));
    }
    detailsBuilt_ = result.details;
    if (viewStyle_ == TViewStyle::vsReport && !detailsBuilt_) {
        ComputeAllDetails();
        detailsBuilt_ = true;
    }
    ShowRows(std::move(rows));
    Restore(remembered);
    refreshPending_ = false;
    if (std::exchange(readAgain_, false))
        ScheduleRefresh();
}

// Changes still queued for a folder shown before are not this folder's.
bool TStShellListView::ConcernsCurrentFolder(const TStShellItem* oldItem, const TStShellItem* newItem) const
{
    if (!currentFolder_)
        return false;
    const ItemIdList& folder = currentFolder_->AbsoluteIdList();
    bool named = false;
    for (const TStShellItem* item : {oldItem, newItem}) {
        if (!item || !item->HasIdList())
            continue;
        named = true;
        const ItemIdList& id = item->AbsoluteIdList();
        if (id == folder || (!id.IsEmpty() && id.WithoutLast() == folder))
            return true;
    }
    return !named;
}

void TStShellListView::ShellChanged(TStShellItem* oldItem, TStShellItem* newItem, TStNotifyEventsSet events)
{
    if (Editing() || !ConcernsCurrentFolder(oldItem, newItem))
        return;
    if (!events.Contains(neAttributesChange))
        ScheduleRefresh();
    else if (viewStyle_ == TViewStyle::vsReport)
        UpdateDetailsOf(newItem ? newItem : oldItem);
    if (OnShellChangeNotify)
        OnShellChangeNotify(this, oldItem, newItem, events);
}

// An item's attributes changed: its row shows them from a fresh look at the
// file system (the other rows keep theirs).
void TStShellListView::UpdateDetailsOf(const TStShellItem* changed)
{
    if (!changed || !changed->HasIdList())
        return;
    TStShellItem* item = FindItem(changed->AbsoluteIdList());
    if (!item)
        return;
    ComputeItemDetails(*item, directory_.get());
    model_->RowChanged(model_->RowOfItem(item));
}

bool TStShellListView::Editing() const
{
    return viewStyle_ == TViewStyle::vsReport ? reportView_->Editing() : iconView_->Editing();
}

} // namespace orbisk
