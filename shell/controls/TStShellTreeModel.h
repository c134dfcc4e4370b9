#pragma once

#include "shell/items/ShellItemList.h"

#include <QAbstractItemModel>
#include <QColor>
#include <QIcon>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace orbisk {

// One node of the folder tree. Its item lives in the model's folder list at
// `itemIndex`; the node keeps only the index.
struct TStShellTreeNode {
    TStShellTreeNode* parent = nullptr;
    std::vector<std::unique_ptr<TStShellTreeNode>> children;
    int row = 0;
    int itemIndex = -1;
    bool expander = false; // offers an expand button while its children are not loaded
    bool loaded = false;   // its children have been enumerated (once, on first expansion)
    // How the node is drawn, learnt when it is first drawn.
    enum class Known : uint8_t { Unknown, No, Yes };
    Known compressed = Known::Unknown;
    Known hidden = Known::Unknown;
};

// The folder tree's model: one column, one top node (the root folder), the
// children of a node read only when the node is first expanded (fetchMore).
// Children are kept in the shell's order, so the view never sorts.
//
// The model only keeps nodes and items; what a node's children are is the
// tree's business (LoadChildren), and so is what renaming means (Rename).
class TStShellTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit TStShellTreeModel(QObject* parent = nullptr);
    ~TStShellTreeModel() override;

    // Asked by fetchMore to enumerate a node's children (SetChildren).
    std::function<void(TStShellTreeNode*)> LoadChildren;
    // Told of every node of a subtree just before its item is freed.
    std::function<void(TStShellTreeNode*)> FreeingNode;
    // Asked to give a node's item a new name; true when it was renamed.
    std::function<bool(TStShellTreeNode*, const QString&)> Rename;

    const TStShellFolderList& Folders() const { return folders_; }
    TStShellTreeNode* Top() const { return top_.get(); }
    TStShellFolder* FolderOf(const TStShellTreeNode* node) const;
    TStShellTreeNode* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const TStShellTreeNode* node) const;

    // Frees every node and item.
    void Clear();
    // Makes `item` the top node, after freeing what was there.
    TStShellTreeNode* SetTop(std::unique_ptr<TStShellFolder> item);

    struct NewChild {
        std::unique_ptr<TStShellFolder> item;
        bool expander = false;
    };
    // The first loading of a node's children; `children` is in order. A
    // node left without children loses its expand button.
    void SetChildren(TStShellTreeNode* node, std::vector<NewChild> children);
    // One more child, in its sorted place.
    TStShellTreeNode* InsertChild(TStShellTreeNode* parent, NewChild child);
    // Removes the node and frees the items of its whole subtree.
    void RemoveNode(TStShellTreeNode* node);
    // Puts the node in its sorted place under `newParent` (after its item's
    // name or place changed).
    void MoveToPlace(TStShellTreeNode* node, TStShellTreeNode* newParent);
    // The node's item changed (name, icons): show it again.
    void NodeChanged(TStShellTreeNode* node);
    void SetExpander(TStShellTreeNode* node, bool expander);

    // The shell's order of two items of one folder: its own comparison by
    // name (column 0).
    static bool Before(const TStShellItem& a, const TStShellItem& b);

    // How items are drawn and what may be done with them.
    void SetSelectedNode(const TStShellTreeNode* node);
    void SetCompressedColor(bool enabled, const QColor& color);
    void SetRenameEnabled(bool enabled) { renameEnabled_ = enabled; }
    void SetDragEnabled(bool enabled) { dragEnabled_ = enabled; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

private:
    std::unique_ptr<TStShellTreeNode> MakeNode(TStShellTreeNode* parent, NewChild child);
    void FreeSubtree(TStShellTreeNode* node);
    int SortedRow(const TStShellTreeNode* parent, const TStShellItem& item, const TStShellTreeNode* except) const;
    static void Renumber(TStShellTreeNode* parent, int from);
    QIcon IconOf(int imageIndex, int overlayIndex) const;
    bool IsCompressed(TStShellTreeNode* node) const;
    bool IsHidden(TStShellTreeNode* node) const;

    TStShellFolderList folders_;
    std::unique_ptr<TStShellTreeNode> top_;
    const TStShellTreeNode* selectedNode_ = nullptr;
    bool colorCompressed_ = false;
    QColor compressedColor_;
    bool renameEnabled_ = false;
    bool dragEnabled_ = false;
    mutable std::unordered_map<int64_t, QIcon> icons_;
};

} // namespace orbisk
