#include "shell/controls/TStShellTreeView.h"

#include "shell/controls/TStShellListView.h"
#include "shell/controls/WaitCursor.h"
#include "shell/items/ShellErrors.h"
#include "shell/notify/ShellNotification.h"

#include <algorithm>

namespace orbisk {

TStShellTreeView::TStShellTreeView(QWidget* parent)
    : QTreeView(parent), model_(new TStShellTreeModel(this)), watcher_(new TStShellNotification(this))
{
    setHeaderHidden(true);
    setSortingEnabled(false);
    // Every row is one icon and one line of text: the view need not measure
    // each of a folder's thousands of children.
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    resize(180, 270);
    model_->LoadChildren = [this](Node* node) { LoadNode(node); };
    model_->FreeingNode = [this](Node* node) { NodeFreed(node); };
    model_->Rename = [this](Node* node, const QString& name) { return RenameNode(node, name); };
    setModel(model_);
    // A view that expands a node without asking the model to fetch first
    // still gets the node's children.
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        Node* node = model_->NodeOf(index);
        if (node && !node->loaded && node->expander)
            LoadNode(node);
    });
    SetOptions(options_);
    SetExpandInterval(expandInterval_);

    watcher_->SetWatchSubFolders(true);
    watcher_->SetWatchIdList(std::nullopt);
    watcher_->SetQueueLimit(5);
    watcher_->OnShellChangeNotify = [this](QObject*, TStShellItem* oldItem, TStShellItem* newItem,
                                           TStNotifyEventsSet events) { ShellChanged(oldItem, newItem, events); };
    watcher_->SetActive(true);
}

TStShellTreeView::~TStShellTreeView()
{
    watcher_->OnShellChangeNotify = {};
    model_->LoadChildren = {};
    model_->FreeingNode = {};
    model_->Rename = {};
    if (controller_ && controller_->Tree() == this)
        controller_->SetTree(nullptr);
}

TStShellListView* TStShellTreeView::ListView() const
{
    return listView_.data();
}

void TStShellTreeView::SetListView(TStShellListView* list)
{
    listView_ = list;
    if (list && !controller_)
        controller_ = list->Controller();
}

TStShellItem* TStShellTreeView::RootItem() const
{
    return model_->FolderOf(model_->Top());
}

// Properties --------------------------------------------------------------

void TStShellTreeView::SetCompressedColor(const QColor& color)
{
    compressedColor_ = color;
    model_->SetCompressedColor(options_.Contains(toColorCompressed), color);
    viewport()->update();
}

void TStShellTreeView::SetExpandInterval(int milliseconds)
{
    expandInterval_ = milliseconds;
    setAutoExpandDelay(milliseconds > 0 ? milliseconds : -1);
}

void TStShellTreeView::SetFiltered(bool filtered)
{
    filtered_ = filtered;
    if (!windowCreated_)
        return;
    BuildTree();
    if (Node* top = model_->Top())
        DoChange(top);
}

void TStShellTreeView::SetOptions(TStTreeOptionsSet options)
{
    const bool colourChanged = options.Contains(toColorCompressed) != options_.Contains(toColorCompressed);
    options_ = options;
    // Drops and the shell's context menu need services this desktop does not
    // offer; those options are only kept.
    setDragEnabled(options.Contains(toAllowDrag));
    setDragDropMode(options.Contains(toAllowDrag) ? QAbstractItemView::DragOnly : QAbstractItemView::NoDragDrop);
    model_->SetDragEnabled(options.Contains(toAllowDrag));
    model_->SetRenameEnabled(options.Contains(toAllowRename));
    setEditTriggers(options.Contains(toAllowRename)
                        ? QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked
                        : QAbstractItemView::NoEditTriggers);
    model_->SetCompressedColor(options.Contains(toColorCompressed), compressedColor_);
    if (colourChanged)
        viewport()->update();
}

void TStShellTreeView::SetRootFolder(const QString& path)
{
    root_.SetPath(path);
    if (path.isEmpty()) {
        ClearTree();
        return;
    }
    if (!windowCreated_) {
        // Said at once, not when the tree is first shown.
        (void)root_.IdList();
        return;
    }
    BuildTree();
}

void TStShellTreeView::SetSpecialRootFolder(TStSpecialRootFolder folder)
{
    if (root_.SetSpecial(folder) && folder != sfNone)
        BuildTree();
}

void TStShellTreeView::SetStartInFolder(const QString& path) { startIn_.SetPath(path); }

void TStShellTreeView::SetSpecialStartInFolder(TStSpecialRootFolder folder) { startIn_.SetSpecial(folder); }

void TStShellTreeView::Rebuild()
{
    BuildTree();
}

// Building ----------------------------------------------------------------

void TStShellTreeView::showEvent(QShowEvent* event)
{
    QTreeView::showEvent(event);
    if (!windowCreated_) {
        windowCreated_ = true;
        CreateWindow();
    }
}

void TStShellTreeView::CreateWindow()
{
    if (!controller_)
        controller_ = listView_ && listView_->Controller() ? listView_->Controller()
                                                           : std::make_shared<TStCustomShellController>();
    controller_->SetTree(this);
    try {
        BuildTree();
    } catch (const EStInvalidFolder&) {
        // The root was valid when it was set and has gone since: the tree
        // stays empty, as for a root that has no folder here.
    }
}

void TStShellTreeView::ClearTree()
{
    model_->Clear();
}

void TStShellTreeView::BuildTree()
{
    ClearTree();
    if (!controller_ || !windowCreated_)
        return;
    const std::optional<ItemIdList> root = root_.IdList();
    if (!root)
        return;
    Node* top = model_->SetTop(std::make_unique<TStShellFolder>(*root, controller_.get()));
    LoadNode(top);
    if (options_.Contains(toExpandTopNode))
        setExpanded(model_->IndexOf(top), true);
    ExpandStartChain();
}

std::optional<ItemIdList> TStShellTreeView::StartFolderIdList() const
{
    // A start folder that does not parse is passed over: nothing is
    // selected then, as for none.
    try {
        return startIn_.IdList();
    } catch (const EStInvalidFolder&) {
        return std::nullopt;
    }
}

void TStShellTreeView::ExpandStartChain()
{
    const std::optional<ItemIdList> start = StartFolderIdList();
    if (!start) {
        initialised_ = true;
        return;
    }
    // From the desktop down to the start folder: each expansion loads the
    // children among which the next one is found.
    for (int n = 0; n <= start->Count(); ++n) {
        Node* node = FindNode(start->Prefix(n));
        if (node && !isExpanded(model_->IndexOf(node)))
            Expand(node);
    }
}

bool TStShellTreeView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Paint && !initialised_ && windowCreated_)
        FirstPaint();
    return QTreeView::viewportEvent(event);
}

void TStShellTreeView::FirstPaint()
{
    initialised_ = true;
    const std::optional<ItemIdList> start = StartFolderIdList();
    if (!start)
        return;
    if (Node* node = FindNode(*start)) {
        const QPersistentModelIndex index(model_->IndexOf(node));
        SelectNode(node); // the change handling runs once for the selection...
        if (!index.isValid())
            return;
        DoChange(model_->NodeOf(index)); // ...and once more
        scrollTo(index);
    } else if (Node* top = model_->Top()) {
        DoChange(top);
    }
}

// Selection ---------------------------------------------------------------

void TStShellTreeView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QTreeView::selectionChanged(selected, deselected);
    Node* node = SelectedNode();
    model_->SetSelectedNode(node);
    if (node && !selected.isEmpty())
        DoChange(node);
}

void TStShellTreeView::DoChange(Node* node)
{
    if (!initialised_)
        return;
    TStShellFolder* folder = model_->FolderOf(node);
    selectedFolder_ = folder;
    const uint64_t epoch = ++selectionEpoch_;
    QPointer<TStShellTreeView> self(this);
    if (OnFolderSelected)
        OnFolderSelected(this, folder);
    // A handler that selected another folder, or freed this one, has had
    // its own change handled.
    if (!self || selectionEpoch_ != epoch)
        return;
    if (suppressListRefresh_ || !listView_) {
        suppressListRefresh_ = false;
        return;
    }
    if (folder && (folder->IsFolder() || folder->IsDesktop()))
        listView_->ShowFolder(*folder);
}

TStShellTreeNode* TStShellTreeView::SelectedNode() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? nullptr : model_->NodeOf(selected.first());
}

void TStShellTreeView::SelectNode(Node* node)
{
    setCurrentIndex(model_->IndexOf(node));
}

// Selects a node without the linked list being filled for it; the one-shot
// flag is set only when the selection really changes, so that it never
// lingers to swallow a later selection.
void TStShellTreeView::SelectQuietly(Node* node)
{
    if (SelectedNode() == node)
        return;
    suppressListRefresh_ = true;
    SelectNode(node);
    suppressListRefresh_ = false;
}

void TStShellTreeView::RevealAndSelect(Node* node)
{
    for (Node* up = node->parent; up; up = up->parent)
        setExpanded(model_->IndexOf(up), true);
    SelectQuietly(node);
    scrollTo(model_->IndexOf(node));
}

bool TStShellTreeView::SelectChildByName(const TStShellItem& item)
{
    Node* selected = SelectedNode();
    if (!selected)
        return false;
    Expand(selected);
    Node* child = item.HasIdList() ? FindChild(selected, item.AbsoluteIdList()) : nullptr;
    if (!child) {
        const auto it = std::find_if(selected->children.begin(), selected->children.end(), [&](const auto& c) {
            return model_->FolderOf(c.get())->DisplayName() == item.DisplayName();
        });
        child = it == selected->children.end() ? nullptr : it->get();
    }
    if (!child)
        return false;
    const QPersistentModelIndex index(model_->IndexOf(child));
    SelectQuietly(child);
    if (index.isValid())
        ExpandNode(index);
    return true;
}

bool TStShellTreeView::SelectByIdList(const ItemIdList& absolute)
{
    Node* node = FindNode(absolute);
    if (!node)
        return false;
    RevealAndSelect(node);
    return true;
}

// Loading -----------------------------------------------------------------

void TStShellTreeView::AddItem(std::unique_ptr<TStShellItem> item, const QPersistentModelIndex&, uint32_t attributes)
{
    if (!pending_ || !dynamic_cast<TStShellFolder*>(item.get()))
        return;
    std::unique_ptr<TStShellFolder> folder(static_cast<TStShellFolder*>(item.release()));
    folder->FetchFileInfo(controller_.get(), false);
    const bool expander = NeedsExpander(*folder, attributes);
    pending_->push_back({std::move(folder), expander});
}

bool TStShellTreeView::NeedsExpander(const TStShellItem& item, uint32_t attributes) const
{
    // The shell answers "has sub-folders" for removable, network and
    // optical drives (and mount points of them) without looking inside, and
    // for any other folder by reading it, so a folder it answers for can be
    // listed.
    if (attributes & AttrHasSubFolder)
        return true;
    if (options_.Contains(toShowFiles) && (attributes & AttrFolder)) {
        const uint32_t flags = EnumFolders | EnumNonFolders | (ShowHidden() ? EnumIncludeHidden : 0u);
        return controller_->HasFolderEnumerator(item, flags, true);
    }
    return false;
}

std::vector<TStShellTreeModel::NewChild> TStShellTreeView::Enumerate(Node* node)
{
    std::vector<TStShellTreeModel::NewChild> children;
    const TStShellFolder* folder = model_->FolderOf(node);
    if (!folder || !controller_)
        return children;
    pending_ = &children;
    controller_->SetParentNode(QPersistentModelIndex(model_->IndexOf(node)));
    controller_->EnumerateFolder(*folder, *this);
    controller_->SetParentNode({});
    pending_ = nullptr;
    return children.empty() ? std::move(children) : InShellOrder(std::move(children));
}

// The shell's order of a folder's children, each name collated once.
std::vector<TStShellTreeModel::NewChild> TStShellTreeView::InShellOrder(std::vector<TStShellTreeModel::NewChild> children)
{
    std::vector<const ItemIdList*> lists;
    lists.reserve(children.size());
    for (const auto& child : children)
        lists.push_back(&child.item->RelativeIdList());
    const std::vector<std::size_t> order = children.front().item->ParentFolder()->SortedOrder(lists);
    std::vector<TStShellTreeModel::NewChild> sorted;
    sorted.reserve(children.size());
    for (std::size_t i : order)
        sorted.push_back(std::move(children[i]));
    return sorted;
}

void TStShellTreeView::LoadNode(Node* node)
{
    if (node->loaded)
        return;
    WaitCursor wait;
    model_->SetChildren(node, Enumerate(node));
    Watch(node, true);
}

void TStShellTreeView::Expand(Node* node)
{
    LoadNode(node);
    setExpanded(model_->IndexOf(node), true);
}

void TStShellTreeView::ExpandNode(const QModelIndex& index)
{
    if (Node* node = model_->NodeOf(index); node && index.model() == model_)
        Expand(node);
}

void TStShellTreeView::Watch(Node* node, bool watch)
{
    const TStShellFolder* folder = model_->FolderOf(node);
    if (!folder || !node->loaded || !folder->HasIdList())
        return;
    if (watch)
        watcher_->AddLoadedFolder(folder->AbsoluteIdList());
    else
        watcher_->RemoveLoadedFolder(folder->AbsoluteIdList());
}

void TStShellTreeView::NodeFreed(Node* node)
{
    Watch(node, false);
    if (selectedFolder_ && model_->FolderOf(node) == selectedFolder_) {
        selectedFolder_ = nullptr;
        ++selectionEpoch_;
    }
}

bool TStShellTreeView::Admits(TStShellItem& item)
{
    if (!options_.Contains(toShowHidden) && item.IsHidden())
        return false;
    if (!options_.Contains(toShowFiles) && !item.IsFolder())
        return false;
    bool accept = true;
    if (filtered_ && OnFilterItem)
        OnFilterItem(this, &item, accept);
    return accept;
}

// Finding -----------------------------------------------------------------

TStShellTreeNode* TStShellTreeView::FindChild(const Node* parent, const ItemIdList& absolute) const
{
    if (absolute.IsEmpty())
        return nullptr;
    const IdKind kind = absolute.LastKind();
    const std::string_view name = absolute.LastName();
    for (const auto& child : parent->children) {
        const ItemIdList& list = model_->FolderOf(child.get())->AbsoluteIdList();
        if (!list.IsEmpty() && list.LastKind() == kind && list.LastName() == name &&
            list.Count() == absolute.Count())
            return child.get();
    }
    return nullptr;
}

// Walks down from the top node, one element at a time: a loaded node's list
// is its parent's list and one element more.
TStShellTreeNode* TStShellTreeView::FindNode(const ItemIdList& absolute) const
{
    Node* node = model_->Top();
    const TStShellFolder* top = model_->FolderOf(node);
    if (!top || !absolute.StartsWith(top->AbsoluteIdList()))
        return nullptr;
    for (int depth = top->AbsoluteIdList().Count() + 1; node && depth <= absolute.Count(); ++depth)
        node = FindChild(node, absolute.Prefix(depth));
    return node;
}

TStShellTreeNode* TStShellTreeView::FindNodeByNativePath(const std::string& path, const QString& text) const
{
    std::vector<Node*> stack;
    if (model_->Top())
        stack.push_back(model_->Top());
    while (!stack.empty()) {
        Node* node = stack.back();
        stack.pop_back();
        const TStShellFolder* folder = model_->FolderOf(node);
        if (folder && (path.empty() ? folder->Path() == text : folder->NativePath() == path))
            return node;
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
            stack.push_back(it->get());
    }
    return nullptr;
}

QModelIndex TStShellTreeView::FindNodeByIdList(const ItemIdList& absolute) const
{
    return model_->IndexOf(FindNode(absolute));
}

QModelIndex TStShellTreeView::FindNodeByPath(const QString& path) const
{
    return model_->IndexOf(FindNodeByNativePath({}, path));
}

} // namespace orbisk
