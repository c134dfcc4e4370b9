#pragma once

#include "platform/namespace/ItemIdList.h"

#include <optional>
#include <unordered_map>
#include <vector>

namespace orbisk {

// The folders whose tree node is loaded, counted like the nodes that show
// them: a folder stays in the set until it was removed as often as added.
// This set is what "the whole namespace with sub-folders" watches.
class LoadedFolders {
public:
    // True when the folder was not in the set before.
    bool Add(const ItemIdList& folder);
    // True when the folder has just left the set; false when it is still
    // counted or was never in it.
    bool Remove(const ItemIdList& folder);
    bool Contains(const ItemIdList& folder) const { return counts_.contains(folder); }
    int Size() const { return int(counts_.size()); }
    std::vector<ItemIdList> All() const;

    // A folder was renamed or moved: it and the loaded folders below it stay
    // loaded under their new lists, so that the owner later removes them by
    // the names it then knows.
    void Move(const ItemIdList& from, const ItemIdList& to);

private:
    struct Hash {
        std::size_t operator()(const ItemIdList& list) const { return list.Hash(); }
    };
    std::unordered_map<ItemIdList, int, Hash> counts_;
};

// `list` with its first `prefix.Count()` elements replaced by `replacement`
// (the list must start with the prefix); none when the result would be
// deeper than a list can be.
std::optional<ItemIdList> ReplacePrefix(const ItemIdList& list, const ItemIdList& prefix,
                                        const ItemIdList& replacement);

} // namespace orbisk
