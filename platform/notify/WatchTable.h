#pragma once

#include "platform/namespace/ItemIdList.h"
#include "platform/notify/WatchDescriptors.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace orbisk {

// One folder that a kernel watch stands for. One watch may stand for several
// (the desktop folder's entries and the same folder reached through the home
// folder): the kernel gives one descriptor per watched object.
struct WatchedFolder {
    ItemIdList list;
    std::string path;
    bool desktopEntries = false; // its entries are desktop entries
    bool root = false;           // the registration's own folder
    bool loaded = false;         // a loaded folder of a tree
};

// The kernel watches of one registration and what each stands for. Watches
// are added and dropped one at a time; nothing here lists a folder.
class WatchTable {
public:
    // Every watch gets `mask`.
    WatchTable(WatchDescriptors& kernel, uint32_t mask) : kernel_(kernel), mask_(mask) {}

    // Watches a folder as the registration's own (`root`) or as a loaded
    // folder. The watch descriptor, or -errno when the kernel refused.
    int Add(const ItemIdList& list, const std::string& path, bool desktopEntries, bool root);
    // Stops watching a loaded folder; a registration's own folder stays.
    void RemoveLoaded(const ItemIdList& list);

    // The folders that `wd` stands for; null for an unknown descriptor.
    const std::vector<WatchedFolder>* Find(int wd) const;
    // The kernel has dropped the watch (deleted, unmounted, removed).
    void Forget(int wd);
    // Stops watching whatever `wd` stands for.
    void Drop(int wd);
    // Stops watching the folders at and below `prefix`, which moved out of
    // sight: their watches would report under names that no longer exist.
    void DropUnder(const ItemIdList& prefix);
    // The folder `from` at `fromPath` is now `to` at `toPath`: the watches
    // of it and of the folders below it follow, so that later events carry
    // the new names.
    void Move(const ItemIdList& from, const std::string& fromPath, const ItemIdList& to, const std::string& toPath);

    // Every watched folder, in no particular order.
    std::vector<ItemIdList> Lists() const;
    std::vector<std::string> Paths() const;
    int Count() const { return int(byWd_.size()); }
    // The kernel's per-user watch limit stopped a watch from being added.
    bool LimitReached() const { return limitReached_; }

private:
    WatchDescriptors& kernel_;
    uint32_t mask_;
    std::unordered_map<int, std::vector<WatchedFolder>> byWd_;
    bool limitReached_ = false;
};

} // namespace orbisk
