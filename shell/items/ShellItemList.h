#pragma once

#include "shell/items/ShellItem.h"

#include <memory>
#include <vector>

namespace orbisk {

// An owning list of shell items in insertion order. Clearing frees every
// item. An index past the end (or before the start) answers with no item.
class TStShellItemList {
public:
    TStShellItemList() = default;
    TStShellItemList(const TStShellItemList&) = delete;
    TStShellItemList& operator=(const TStShellItemList&) = delete;
    virtual ~TStShellItemList();

    // Takes the item over; returns its index.
    int Add(std::unique_ptr<TStShellItem> item);
    TStShellItem* Items(int index) const;
    int Count() const { return int(items_.size()); }
    void Clear();
    // Frees the item at `index` and leaves its place empty, so that the
    // indexes of the other items (which nodes and rows keep) stay valid.
    void Free(int index);
    // Gives the item at `index` back to the caller; its place stays empty.
    std::unique_ptr<TStShellItem> Extract(int index);

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<std::unique_ptr<TStShellItem>> items_;
};

// The list that owns the item of every node of a tree: the root's item and a
// TStShellFolder for every other node.
class TStShellFolderList : public TStShellItemList {
public:
    // The item at `index` as a folder; none when it is not one.
    TStShellFolder* Folders(int index) const { return dynamic_cast<TStShellFolder*>(Items(index)); }
};

} // namespace orbisk
