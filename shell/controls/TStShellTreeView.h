#pragma once

#include "shell/controls/TStShellTreeModel.h"
#include "shell/controls/TStTreeOptions.h"
#include "shell/items/FolderChoice.h"
#include "shell/items/ShellConsumer.h"
#include "shell/items/ShellController.h"
#include "shell/items/ShellItem.h"
#include "shell/notify/NotifyEvents.h"

#include <QColor>
#include <QPointer>
#include <QTreeView>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {

class TStShellListView;
class TStShellNotification;

// The selected folder of a tree changed.
using TStFolderSelectedEvent = std::function<void(QObject* Sender, TStShellFolder* Folder)>;

// The folder tree: a lazily loaded view of the shell namespace below a root.
//
// What a linked file list and the main window rely on (kept stable while the
// two controls are built side by side):
//   SetListView / ListView      the linked list (the list's TreeView is set by the list)
//   Controller                  the shell context the pair shares
//   SelectedFolder              the folder item of the selected node, or none
//   RootItem                    the root node's item, or none before the tree is built
//   SelectChildByName           the list opened a folder: select that child
//                               of the selected node without refilling the list
//   SelectByIdList              select the loaded node of an absolute ID list,
//                               without refilling the list
//
// The tree builds when it is first shown, selects its start folder when it
// first paints, reads a node's children when the node is first expanded, and
// follows the shell's change notifications for every loaded folder.
class TStShellTreeView : public QTreeView, public TStShellConsumer {
    Q_OBJECT
public:
    explicit TStShellTreeView(QWidget* parent = nullptr);
    ~TStShellTreeView() override;

    TStShellListView* ListView() const;
    void SetListView(TStShellListView* list);

    const std::shared_ptr<TStCustomShellController>& Controller() const { return controller_; }

    TStShellFolder* SelectedFolder() const { return selectedFolder_; }
    TStShellItem* RootItem() const;

    bool SelectChildByName(const TStShellItem& item);
    bool SelectByIdList(const ItemIdList& absolute);

    // Published properties.
    const QColor& CompressedColor() const { return compressedColor_; }
    void SetCompressedColor(const QColor& color);
    // Hover time before a node under a drag expands; 0 turns it off.
    int ExpandInterval() const { return expandInterval_; }
    void SetExpandInterval(int milliseconds);
    bool Filtered() const override { return filtered_; }
    void SetFiltered(bool filtered);
    TStTreeOptionsSet Options() const { return options_; }
    void SetOptions(TStTreeOptionsSet options);
    // The root by path, used when SpecialRootFolder is sfNone;
    // EStInvalidFolder when the shell cannot parse it.
    const QString& RootFolder() const { return root_.Path(); }
    void SetRootFolder(const QString& path);
    TStSpecialRootFolder SpecialRootFolder() const { return root_.Special(); }
    void SetSpecialRootFolder(TStSpecialRootFolder folder);
    // The folder selected at start (when the tree is next built and first
    // painted); setting it never moves the selection.
    const QString& StartInFolder() const { return startIn_.Path(); }
    void SetStartInFolder(const QString& path);
    TStSpecialRootFolder SpecialStartInFolder() const { return startIn_.Special(); }
    void SetSpecialStartInFolder(TStSpecialRootFolder folder);

    // Events (OnFilterItem comes with TStShellConsumer: asked for each item
    // when Filtered is on, Accept preset to true).
    TStFolderSelectedEvent OnFolderSelected;
    // Every change the watcher reports, before the tree reacts to it.
    TStShellNotifyEvent3 OnShellChangeNotify;

    // State.
    bool Initialised() const { return initialised_; }
    bool SuppressListRefresh() const { return suppressListRefresh_; }
    // True while OnFolderSelected reports a selection the tree moved itself
    // because the selected folder went away, not one the user made.
    bool SelectionFollowsChange() const { return selectionFollowsChange_; }
    // The next change reported by the watcher is passed to
    // OnShellChangeNotify only.
    bool IgnoreNextChange() const { return ignoreNextChange_; }
    void SetIgnoreNextChange(bool ignore) { ignoreNextChange_ = ignore; }
    TStShellTreeModel* Model() const { return model_; }
    TStShellNotification* Watcher() const { return watcher_; }

    // The loaded node of an absolute ID list, or of a path (exact text); the
    // first in tree order. Nothing is expanded to find it.
    QModelIndex FindNodeByIdList(const ItemIdList& absolute) const;
    QModelIndex FindNodeByPath(const QString& path) const;
    // Reads the node's children when they are not read yet, and expands it.
    void ExpandNode(const QModelIndex& index);
    // Builds the tree again from its root.
    void Rebuild();

    // TStShellConsumer: what the tree asks an enumeration for.
    TStConsumerKind ConsumerKind() const override { return TStConsumerKind::Tree; }
    bool ShowFiles() const override { return options_.Contains(toShowFiles); }
    bool ShowHidden() const override { return options_.Contains(toShowHidden); }
    QObject* SenderObject() override { return this; }
    void AddItem(std::unique_ptr<TStShellItem> item, const QPersistentModelIndex& parentNode,
                 uint32_t attributes) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    using Node = TStShellTreeNode;

    // Building and selecting.
    void CreateWindow();
    void BuildTree();
    void ClearTree();
    std::optional<ItemIdList> StartFolderIdList() const;
    void ExpandStartChain();
    void FirstPaint();
    void DoChange(Node* node);
    Node* SelectedNode() const;
    void SelectNode(Node* node);
    void SelectQuietly(Node* node);
    void RevealAndSelect(Node* node);

    // Loading.
    void LoadNode(Node* node);
    void Expand(Node* node);
    std::vector<TStShellTreeModel::NewChild> Enumerate(Node* node);
    static std::vector<TStShellTreeModel::NewChild> InShellOrder(std::vector<TStShellTreeModel::NewChild> children);
    bool NeedsExpander(const TStShellItem& item, uint32_t attributes) const;
    bool Admits(TStShellItem& item);
    void Watch(Node* node, bool watch);
    void NodeFreed(Node* node);

    // Finding.
    Node* FindNode(const ItemIdList& absolute) const;
    Node* FindChild(const Node* parent, const ItemIdList& absolute) const;
    Node* FindNodeByNativePath(const std::string& path, const QString& text) const;

    // Changes (TStShellTreeChanges.cpp).
    void ShellChanged(TStShellItem* oldItem, TStShellItem* newItem, TStNotifyEventsSet events);
    void ItemCreated(const TStShellItem* item, bool drive);
    void ItemDeleted(const TStShellItem* item);
    void ItemRenamed(const TStShellItem* oldItem, const TStShellItem* newItem);
    bool RemoveReplaced(Node* parent, const QPersistentModelIndex& renamed);
    void Retarget(Node* node, const TStShellItem& newItem);
    void PutInPlace(Node* node, Node* parent);
    void FolderUpdated(const TStShellItem* folder);
    void RemoveKeepingSelection(Node* node);
    std::unique_ptr<TStShellFolder> FolderFrom(const TStShellItem& item) const;
    void RerootChildren(Node* node);
    bool RenameNode(Node* node, const QString& name);

    TStShellTreeModel* model_;
    TStShellNotification* watcher_;
    QPointer<TStShellListView> listView_;
    std::shared_ptr<TStCustomShellController> controller_;
    TStShellFolder* selectedFolder_ = nullptr;
    // Advances whenever SelectedFolder changes or its item is freed, so that
    // code that called out to a handler sees whether it still holds it.
    uint64_t selectionEpoch_ = 0;

    QColor compressedColor_ = Qt::blue;
    int expandInterval_ = 2000;
    bool filtered_ = false;
    TStTreeOptionsSet options_{toAllowRename, toAllowDrag, toAllowDrop, toExpandTopNode, toShellMenu};
    FolderChoice root_ { sfDesktop };
    FolderChoice startIn_;

    bool windowCreated_ = false;
    bool initialised_ = false;
    bool suppressListRefresh_ = false;
    bool selectionFollowsChange_ = false;
    bool ignoreNextChange_ = false;
    std::vector<TStShellTreeModel::NewChild>* pending_ = nullptr;
};

} // namespace orbisk
