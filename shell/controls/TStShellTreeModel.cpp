#include "shell/controls/TStShellTreeModel.h"

#include "platform/namespace/MountTable.h"
#include "platform/namespace/SystemImageList.h"
#include "shell/controls/ShellDragData.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

#include <algorithm>

namespace orbisk {

namespace {

// Drives whose items are never looked at just to be drawn: asking a network
// or removable file system for a flag may wait for a server or a disc.
bool OnUntouchableDrive(const std::string& path)
{
    const auto drives = CurrentDrives();
    const Drive* drive = DriveHolding(*drives, path);
    return drive && (drive->type == DriveRemovable || drive->type == DriveRemote || drive->type == DriveCdRom);
}

} // namespace

TStShellTreeModel::TStShellTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

TStShellTreeModel::~TStShellTreeModel() = default;

TStShellFolder* TStShellTreeModel::FolderOf(const TStShellTreeNode* node) const
{
    return node ? folders_.Folders(node->itemIndex) : nullptr;
}

TStShellTreeNode* TStShellTreeModel::NodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<TStShellTreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TStShellTreeModel::IndexOf(const TStShellTreeNode* node) const
{
    return node ? createIndex(node->row, 0, const_cast<TStShellTreeNode*>(node)) : QModelIndex();
}

void TStShellTreeModel::Clear()
{
    if (!top_)
        return;
    beginResetModel();
    FreeSubtree(top_.get());
    top_.reset();
    folders_.Clear();
    selectedNode_ = nullptr;
    endResetModel();
}

TStShellTreeNode* TStShellTreeModel::SetTop(std::unique_ptr<TStShellFolder> item)
{
    Clear();
    beginInsertRows({}, 0, 0);
    top_ = MakeNode(nullptr, {std::move(item), true});
    endInsertRows();
    return top_.get();
}

std::unique_ptr<TStShellTreeNode> TStShellTreeModel::MakeNode(TStShellTreeNode* parent, NewChild child)
{
    auto node = std::make_unique<TStShellTreeNode>();
    node->parent = parent;
    node->expander = child.expander;
    node->itemIndex = folders_.Add(std::move(child.item));
    return node;
}

void TStShellTreeModel::SetChildren(TStShellTreeNode* node, std::vector<NewChild> children)
{
    node->loaded = true;
    if (children.empty()) {
        SetExpander(node, false);
        return;
    }
    const int first = int(node->children.size());
    beginInsertRows(IndexOf(node), first, first + int(children.size()) - 1);
    node->children.reserve(node->children.size() + children.size());
    for (NewChild& child : children)
        node->children.push_back(MakeNode(node, std::move(child)));
    Renumber(node, first);
    endInsertRows();
}

TStShellTreeNode* TStShellTreeModel::InsertChild(TStShellTreeNode* parent, NewChild child)
{
    const int row = SortedRow(parent, *child.item, nullptr);
    const bool first = parent->children.empty();
    beginInsertRows(IndexOf(parent), row, row);
    parent->children.insert(parent->children.begin() + row, MakeNode(parent, std::move(child)));
    Renumber(parent, row);
    endInsertRows();
    // The view learns only from the data of the parent that it may now show
    // an expand button.
    if (first)
        NodeChanged(parent);
    return parent->children[std::size_t(row)].get();
}

void TStShellTreeModel::RemoveNode(TStShellTreeNode* node)
{
    if (node == top_.get()) {
        Clear();
        return;
    }
    TStShellTreeNode* parent = node->parent;
    const int row = node->row;
    beginRemoveRows(IndexOf(parent), row, row);
    FreeSubtree(node);
    parent->children.erase(parent->children.begin() + row);
    Renumber(parent, row);
    endRemoveRows();
    if (parent->children.empty())
        NodeChanged(parent);
}

void TStShellTreeModel::FreeSubtree(TStShellTreeNode* node)
{
    // Depth first with an explicit stack: a tree may be as deep as a
    // link that leads to its own folder was expanded.
    std::vector<TStShellTreeNode*> stack{node};
    while (!stack.empty()) {
        TStShellTreeNode* n = stack.back();
        stack.pop_back();
        if (FreeingNode)
            FreeingNode(n);
        if (n == selectedNode_)
            selectedNode_ = nullptr;
        folders_.Free(n->itemIndex);
        n->itemIndex = -1;
        for (const auto& child : n->children)
            stack.push_back(child.get());
    }
}

void TStShellTreeModel::MoveToPlace(TStShellTreeNode* node, TStShellTreeNode* newParent)
{
    TStShellTreeNode* oldParent = node->parent;
    if (!oldParent || !newParent)
        return;
    const int from = node->row;
    const int to = SortedRow(newParent, *FolderOf(node), node);
    if (oldParent == newParent && to == from) {
        NodeChanged(node);
        return;
    }
    // Qt counts the destination row before the move.
    const int destination = oldParent == newParent && to > from ? to + 1 : to;
    beginMoveRows(IndexOf(oldParent), from, from, IndexOf(newParent), destination);
    std::unique_ptr<TStShellTreeNode> owned = std::move(oldParent->children[std::size_t(from)]);
    oldParent->children.erase(oldParent->children.begin() + from);
    owned->parent = newParent;
    newParent->children.insert(newParent->children.begin() + to, std::move(owned));
    Renumber(oldParent, 0);
    if (newParent != oldParent)
        Renumber(newParent, 0);
    endMoveRows();
    NodeChanged(node);
}

void TStShellTreeModel::NodeChanged(TStShellTreeNode* node)
{
    if (!node)
        return;
    node->compressed = TStShellTreeNode::Known::Unknown;
    node->hidden = TStShellTreeNode::Known::Unknown;
    const QModelIndex index = IndexOf(node);
    emit dataChanged(index, index);
}

void TStShellTreeModel::SetExpander(TStShellTreeNode* node, bool expander)
{
    if (node->expander == expander)
        return;
    node->expander = expander;
    NodeChanged(node);
}

bool TStShellTreeModel::Before(const TStShellItem& a, const TStShellItem& b)
{
    // Siblings share every element but the last, so comparing the last
    // elements orders them as comparing the absolute lists would.
    return a.ParentFolder() && a.ParentFolder()->CompareIDs(0, a.RelativeIdList(), b.RelativeIdList()) < 0;
}

int TStShellTreeModel::SortedRow(const TStShellTreeNode* parent, const TStShellItem& item,
                                 const TStShellTreeNode* except) const
{
    // The row among the other children, as if `except` were not there.
    const int skip = except && except->parent == parent ? except->row : -1;
    int lo = 0;
    int hi = int(parent->children.size()) - (skip >= 0 ? 1 : 0);
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        const int real = skip >= 0 && mid >= skip ? mid + 1 : mid;
        const TStShellFolder* other = FolderOf(parent->children[std::size_t(real)].get());
        if (other && Before(*other, item))
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void TStShellTreeModel::Renumber(TStShellTreeNode* parent, int from)
{
    for (std::size_t i = std::size_t(std::max(from, 0)); i < parent->children.size(); ++i)
        parent->children[i]->row = int(i);
}

void TStShellTreeModel::SetSelectedNode(const TStShellTreeNode* node)
{
    const TStShellTreeNode* old = selectedNode_;
    selectedNode_ = node;
    if (old && old != node)
        NodeChanged(const_cast<TStShellTreeNode*>(old));
    if (node)
        NodeChanged(const_cast<TStShellTreeNode*>(node));
}

void TStShellTreeModel::SetCompressedColor(bool enabled, const QColor& color)
{
    colorCompressed_ = enabled;
    compressedColor_ = color;
}

QModelIndex TStShellTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row == 0 && top_ ? IndexOf(top_.get()) : QModelIndex();
    const TStShellTreeNode* node = NodeOf(parent);
    if (!node || row >= int(node->children.size()))
        return {};
    return IndexOf(node->children[std::size_t(row)].get());
}

QModelIndex TStShellTreeModel::parent(const QModelIndex& child) const
{
    const TStShellTreeNode* node = NodeOf(child);
    return node ? IndexOf(node->parent) : QModelIndex();
}

int TStShellTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    if (!parent.isValid())
        return top_ ? 1 : 0;
    return int(NodeOf(parent)->children.size());
}

int TStShellTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool TStShellTreeModel::hasChildren(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return false;
    if (!parent.isValid())
        return top_ != nullptr;
    const TStShellTreeNode* node = NodeOf(parent);
    return !node->children.empty() || (!node->loaded && node->expander);
}

bool TStShellTreeModel::canFetchMore(const QModelIndex& parent) const
{
    const TStShellTreeNode* node = NodeOf(parent);
    return node && !node->loaded && node->expander;
}

void TStShellTreeModel::fetchMore(const QModelIndex& parent)
{
    TStShellTreeNode* node = NodeOf(parent);
    if (node && !node->loaded && LoadChildren)
        LoadChildren(node);
}

QIcon TStShellTreeModel::IconOf(int imageIndex, int overlayIndex) const
{
    const int64_t key = int64_t(imageIndex) * 4 + (overlayIndex + 1);
    if (const auto it = icons_.find(key); it != icons_.end())
        return it->second;
    SystemImageList& images = SystemImageList::Small();
    QIcon icon = images.Icon(imageIndex);
    if (overlayIndex >= 0) {
        QPixmap pixmap = icon.pixmap(images.IconSize());
        QPainter painter(&pixmap);
        painter.drawImage(QPoint(0, 0), images.Overlay(overlayIndex));
        painter.end();
        icon = QIcon(pixmap);
    }
    icons_.emplace(key, icon);
    return icon;
}

bool TStShellTreeModel::IsCompressed(TStShellTreeNode* node) const
{
    using Known = TStShellTreeNode::Known;
    if (node->compressed == Known::Unknown) {
        const TStShellFolder* folder = FolderOf(node);
        const std::string path = folder ? folder->NativePath() : std::string();
        const bool yes = !path.empty() && !OnUntouchableDrive(path) && folder->IsCompressed();
        node->compressed = yes ? Known::Yes : Known::No;
    }
    return node->compressed == Known::Yes;
}

bool TStShellTreeModel::IsHidden(TStShellTreeNode* node) const
{
    using Known = TStShellTreeNode::Known;
    if (node->hidden == Known::Unknown)
        node->hidden = FolderOf(node)->IsHidden() ? Known::Yes : Known::No;
    return node->hidden == Known::Yes;
}

QVariant TStShellTreeModel::data(const QModelIndex& index, int role) const
{
    TStShellTreeNode* node = NodeOf(index);
    const TStShellFolder* folder = FolderOf(node);
    if (!folder)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return folder->DisplayName();
    case Qt::DecorationRole:
        return IconOf(node == selectedNode_ ? folder->OpenImageIndex() : folder->ImageIndex(), folder->OverlayIndex());
    case Qt::ForegroundRole:
        if (colorCompressed_ && IsCompressed(node))
            return compressedColor_;
        // Hidden folders are drawn dimmed.
        if (IsHidden(node))
            return QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text);
        break;
    default:
        break;
    }
    return {};
}

bool TStShellTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    TStShellTreeNode* node = NodeOf(index);
    const TStShellFolder* folder = FolderOf(node);
    if (role != Qt::EditRole || !folder || !Rename)
        return false;
    const QString name = value.toString();
    if (name == folder->DisplayName())
        return false;
    return Rename(node, name);
}

Qt::ItemFlags TStShellTreeModel::flags(const QModelIndex& index) const
{
    const TStShellFolder* folder = FolderOf(NodeOf(index));
    if (!folder)
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // A drive is named by its mount point, which a rename cannot change.
    const bool nameable = folder->IsFileSystem() && folder->HasIdList() && !folder->AbsoluteIdList().IsEmpty() &&
                          folder->AbsoluteIdList().LastKind() == IdKind::Name;
    if (renameEnabled_ && nameable)
        f |= Qt::ItemIsEditable;
    if (dragEnabled_ && folder->IsFileSystem())
        f |= Qt::ItemIsDragEnabled;
    return f;
}

QStringList TStShellTreeModel::mimeTypes() const
{
    return {QString::fromLatin1(UriListMimeType)};
}

QMimeData* TStShellTreeModel::mimeData(const QModelIndexList& indexes) const
{
    std::vector<std::string> paths;
    for (const QModelIndex& index : indexes)
        if (const TStShellFolder* folder = FolderOf(NodeOf(index)))
            paths.push_back(folder->NativePath());
    return MakeUriListData(paths);
}

Qt::DropActions TStShellTreeModel::supportedDragActions() const
{
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}

} // namespace orbisk
