// How the folder tree follows the shell's change notifications: folders
// created, deleted and renamed, drives coming and going, media, and folders
// whose changes came too fast to be reported one by one.

#include "shell/controls/TStShellTreeView.h"

#include "platform/namespace/ShellAttributes.h"
#include "shell/controls/ShellItemRename.h"
#include "shell/notify/ShellNotification.h"

#include <QFile>

#include <string>
#include <unordered_set>

namespace orbisk {

namespace {

std::string ElementKey(const ItemIdList& list)
{
    if (list.IsEmpty())
        return {};
    return char(list.LastKind()) + std::string(list.LastName());
}

} // namespace

void TStShellTreeView::ShellChanged(TStShellItem* oldItem, TStShellItem* newItem, TStNotifyEventsSet events)
{
    QPointer<TStShellTreeView> self(this);
    if (OnShellChangeNotify)
        OnShellChangeNotify(this, oldItem, newItem, events);
    if (!self || std::exchange(ignoreNextChange_, false))
        return;
    const bool files = options_.Contains(toShowFiles);
    if (events.Contains(neFolderCreate) || events.Contains(neDriveAdd) || (files && events.Contains(neFileCreate)))
        ItemCreated(newItem, events.Contains(neDriveAdd));
    if (self && (events.Contains(neFolderDelete) || events.Contains(neDriveRemove) ||
                 (files && events.Contains(neFileDelete))))
        ItemDeleted(oldItem);
    if (self && (events.Contains(neFolderRename) || (files && events.Contains(neFileRename))))
        ItemRenamed(oldItem, newItem);
    if (!self || !newItem || !newItem->HasIdList())
        return;
    if (events.Contains(neNetShare) || events.Contains(neNetUnShare)) {
        if (Node* node = FindNode(newItem->AbsoluteIdList())) {
            model_->FolderOf(node)->SetOverlayIndex(newItem->OverlayIndex());
            model_->NodeChanged(node);
        }
    }
    if ((events.Contains(neMediaInsert) || events.Contains(neMediaRemove)) && !newItem->NativePath().empty()) {
        if (Node* node = FindNodeByNativePath(newItem->NativePath(), {})) {
            model_->FolderOf(node)->SetImageIndex(newItem->ImageIndex());
            model_->FolderOf(node)->SetDisplayName(newItem->DisplayName());
            model_->NodeChanged(node);
        }
    }
    // Changes that came faster than they could be reported one by one are
    // reported as the folder having changed: read it again.
    if (events == TStNotifyEventsSet{neFolderUpdate})
        FolderUpdated(oldItem ? oldItem : newItem);
}

std::unique_ptr<TStShellFolder> TStShellTreeView::FolderFrom(const TStShellItem& item) const
{
    auto folder = std::make_unique<TStShellFolder>();
    folder->Assign(item);
    return folder;
}

void TStShellTreeView::ItemCreated(const TStShellItem* item, bool drive)
{
    if (!item || !item->HasIdList() || item->AbsoluteIdList().IsEmpty())
        return;
    const ItemIdList& list = item->AbsoluteIdList();
    Node* parent = FindNode(list.WithoutLast());
    if (!parent || !parent->loaded)
        return;
    if (Node* existing = FindChild(parent, list)) {
        model_->FolderOf(existing)->Assign(*item);
        model_->NodeChanged(existing);
        return;
    }
    std::unique_ptr<TStShellFolder> folder = FolderFrom(*item);
    const QPersistentModelIndex parentIndex(model_->IndexOf(parent));
    if (!Admits(*folder) || !parentIndex.isValid())
        return;
    const uint32_t attributes = folder->ParentFolder()->GetAttributesOf(folder->RelativeIdList(),
                                                                          AttrFolder | AttrHasSubFolder);
    const bool expander = drive || NeedsExpander(*folder, attributes);
    model_->InsertChild(model_->NodeOf(parentIndex), {std::move(folder), expander});
}

void TStShellTreeView::ItemDeleted(const TStShellItem* item)
{
    if (!item || !item->HasIdList())
        return;
    Node* node = FindNode(item->AbsoluteIdList());
    // Items outside the file system have no path to match exactly.
    if (!node && !item->NativePath().empty())
        node = FindNodeByNativePath(item->NativePath(), {});
    if (node)
        RemoveKeepingSelection(node);
}

// The selection never stays inside a subtree that goes: it moves to the
// node's next sibling, else to its parent, before the subtree is freed.
void TStShellTreeView::RemoveKeepingSelection(Node* node)
{
    bool holdsSelection = false;
    for (Node* n = SelectedNode(); n && !holdsSelection; n = n->parent)
        holdsSelection = n == node;
    const QPersistentModelIndex index(model_->IndexOf(node));
    if (holdsSelection && node->parent) {
        Node* parent = node->parent;
        const std::size_t next = std::size_t(node->row) + 1;
        selectionFollowsChange_ = true;
        const QPointer<TStShellTreeView> self(this);
        SelectNode(next < parent->children.size() ? parent->children[next].get() : parent);
        if (!self)
            return;
        selectionFollowsChange_ = false;
        if (!index.isValid())
            return; // a handler of the new selection removed it already
    }
    model_->RemoveNode(model_->NodeOf(index));
}

void TStShellTreeView::ItemRenamed(const TStShellItem* oldItem, const TStShellItem* newItem)
{
    if (!oldItem || !newItem || !oldItem->HasIdList() || !newItem->HasIdList())
        return;
    if (newItem->IsDesktop()) {
        ItemDeleted(oldItem);
        return;
    }
    // The old item's identity, or its exact path: never a name compared
    // without case, since Foo and foo may both exist.
    Node* node = FindNode(oldItem->AbsoluteIdList());
    if (!node && !oldItem->NativePath().empty())
        node = FindNodeByNativePath(oldItem->NativePath(), {});
    if (!node) {
        // Not shown before (hidden, say, or filtered out): perhaps it is now.
        ItemCreated(newItem, false);
        return;
    }
    // The watcher keeps a renamed loaded folder (and those below it) loaded
    // under the new names: the node takes them at once, whatever happens to
    // it next, so that freeing it later unloads what the watcher knows.
    const QPersistentModelIndex index(model_->IndexOf(node));
    Retarget(node, *newItem);
    Node* newParent = node->parent ? FindNode(newItem->AbsoluteIdList().WithoutLast()) : nullptr;
    if (node->parent && (!newParent || !newParent->loaded || !Admits(*model_->FolderOf(node)))) {
        // Moved out of sight, or no longer admitted.
        if (index.isValid())
            RemoveKeepingSelection(model_->NodeOf(index));
        return;
    }
    if (newParent && !RemoveReplaced(newParent, index))
        return;
    if (index.isValid())
        PutInPlace(model_->NodeOf(index), newParent);
}

// A folder that a rename replaced goes; false when that took the renamed
// node with it.
bool TStShellTreeView::RemoveReplaced(Node* parent, const QPersistentModelIndex& renamed)
{
    const Node* node = model_->NodeOf(renamed);
    const ItemIdList& list = model_->FolderOf(node)->AbsoluteIdList();
    for (const auto& child : parent->children) {
        const ItemIdList& other = model_->FolderOf(child.get())->AbsoluteIdList();
        if (child.get() != node && other.LastKind() == list.LastKind() && other.LastName() == list.LastName()) {
            RemoveKeepingSelection(child.get());
            break;
        }
    }
    return renamed.isValid();
}

// The node keeps its item object, so that SelectedFolder stays valid, and
// its loaded children, whose ID lists take the new name.
void TStShellTreeView::Retarget(Node* node, const TStShellItem& newItem)
{
    model_->FolderOf(node)->Assign(newItem);
    RerootChildren(node);
}

void TStShellTreeView::PutInPlace(Node* node, Node* parent)
{
    if (parent)
        model_->MoveToPlace(node, parent);
    else
        model_->NodeChanged(node);
}

void TStShellTreeView::RerootChildren(Node* node)
{
    std::vector<Node*> stack{node};
    while (!stack.empty()) {
        Node* n = stack.back();
        stack.pop_back();
        if (n->children.empty())
            continue;
        const std::shared_ptr<ShellFolder> folder = controller_->BindFolder(model_->FolderOf(n)->AbsoluteIdList());
        if (!folder)
            continue;
        for (const auto& child : n->children) {
            TStShellFolder* item = model_->FolderOf(child.get());
            const uint32_t attributes =
                (item->IsFileSystem() ? AttrFileSystem : 0u) | (item->IsFileSystemFile() ? 0u : AttrFolder);
            const ItemIdList relative = item->RelativeIdList();
            item->SetEnumerated(folder, relative, attributes);
            stack.push_back(child.get());
        }
    }
}

void TStShellTreeView::FolderUpdated(const TStShellItem* folder)
{
    if (!folder || !folder->HasIdList())
        return;
    Node* node = FindNode(folder->AbsoluteIdList());
    if (!node || !node->loaded)
        return;
    const QPersistentModelIndex index(model_->IndexOf(node));
    std::vector<TStShellTreeModel::NewChild> fresh = Enumerate(node);
    std::unordered_set<std::string> present;
    for (const auto& child : fresh)
        present.insert(ElementKey(child.item->RelativeIdList()));
    std::vector<QPersistentModelIndex> gone;
    for (const auto& child : node->children)
        if (!present.count(ElementKey(model_->FolderOf(child.get())->RelativeIdList())))
            gone.emplace_back(model_->IndexOf(child.get()));
    for (const QPersistentModelIndex& child : gone)
        if (child.isValid())
            RemoveKeepingSelection(model_->NodeOf(child));
    if (!index.isValid())
        return;
    node = model_->NodeOf(index);
    for (auto& child : fresh)
        if (!FindChild(node, child.item->AbsoluteIdList()))
            model_->InsertChild(node, std::move(child));
}

bool TStShellTreeView::RenameNode(Node* node, const QString& name)
{
    const TStShellFolder* folder = model_->FolderOf(node);
    if (!folder || !folder->CanRename())
        return false;
    const std::string path = folder->NativePath();
    if (path.empty())
        return false;
    const Result<std::string> renamed = RenameInPlace(path, name);
    if (!renamed)
        return false;
    // Shown at once; the watcher's report of it then finds the node renamed.
    const ItemIdList& old = folder->AbsoluteIdList();
    const QByteArray native = QFile::encodeName(name);
    const auto list = old.WithoutLast().Append(
        old.LastKind(), std::string_view(native.constData(), std::size_t(native.size())), old.LastHints());
    if (list) {
        Retarget(node, TStShellItem(*list, controller_.get()));
        PutInPlace(node, node->parent);
    }
    return true;
}

} // namespace orbisk
