#pragma once

#include "platform/namespace/ItemIdList.h"
#include "platform/namespace/ShellFolder.h"
#include "platform/namespace/SystemImageList.h"
#include "shell/items/ShellConsumer.h"

#include <QPersistentModelIndex>

#include <memory>

namespace orbisk {

// The shell context that a linked tree and list share: the desktop folder,
// the system image lists (borrowed, never freed), the two controls, the node
// under which a tree's enumeration adds children, and the substitute icon.
// The tree and the list hold it through one std::shared_ptr, so it lives as
// long as either of them uses it.
class TStCustomShellController {
public:
    TStCustomShellController();

    const std::shared_ptr<ShellFolder>& DesktopFolder() const { return desktop_; }
    SystemImageList& SmallImages() const { return SystemImageList::Small(); }
    SystemImageList& LargeImages() const { return SystemImageList::Large(); }

    TStShellConsumer* Tree() const { return tree_; }
    void SetTree(TStShellConsumer* tree) { tree_ = tree; }
    TStShellConsumer* List() const { return list_; }
    void SetList(TStShellConsumer* list) { list_ = list; }

    // Set by the tree before each enumeration.
    const QPersistentModelIndex& ParentNode() const { return parentNode_; }
    void SetParentNode(const QPersistentModelIndex& node) { parentNode_ = node; }

    // The icon shown instead of system icon 2; -1 when there is none (this
    // desktop has no icon that needs replacing).
    int SubstituteIconIndex() const { return substituteIconIndex_; }

    // Binds the folder that an absolute list names: through its parent, else
    // directly from the desktop, else the desktop itself (as for the desktop's
    // own, empty list). None when the parent binds but the folder does not.
    std::shared_ptr<ShellFolder> BindFolder(const ItemIdList& folder) const;

    // Enumerates one folder for a consumer and returns how many items it
    // accepted. A folder that cannot be read (unreadable, gone since it was
    // listed, not a folder) yields no items and no error.
    int EnumerateFolder(const ItemIdList& folder, TStShellConsumer& consumer) const;
    int EnumerateFolder(const TStShellItem& folder, TStShellConsumer& consumer) const;

    // For a tree's expand button: whether the item's folder gives an
    // enumerator for `flags` (EnumFlag) and, with `needItem`, at least one item.
    bool HasFolderEnumerator(const TStShellItem& item, uint32_t flags, bool needItem) const;

private:
    std::unique_ptr<TStShellItem> MakeItem(const std::shared_ptr<ShellFolder>& folder, const ItemIdList& id,
                                           uint32_t attributes, TStShellConsumer& consumer) const;

    std::shared_ptr<ShellFolder> desktop_;
    TStShellConsumer* tree_ = nullptr;
    TStShellConsumer* list_ = nullptr;
    QPersistentModelIndex parentNode_;
    int substituteIconIndex_ = -1;
};

} // namespace orbisk
