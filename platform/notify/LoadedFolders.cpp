#include "platform/notify/LoadedFolders.h"

namespace orbisk {

bool LoadedFolders::Add(const ItemIdList& folder)
{
    return ++counts_[folder] == 1;
}

bool LoadedFolders::Remove(const ItemIdList& folder)
{
    const auto it = counts_.find(folder);
    if (it == counts_.end() || --it->second > 0)
        return false;
    counts_.erase(it);
    return true;
}

std::vector<ItemIdList> LoadedFolders::All() const
{
    std::vector<ItemIdList> all;
    all.reserve(counts_.size());
    for (const auto& [folder, count] : counts_)
        all.push_back(folder);
    return all;
}

void LoadedFolders::Move(const ItemIdList& from, const ItemIdList& to)
{
    std::vector<std::pair<ItemIdList, int>> moved;
    for (auto it = counts_.begin(); it != counts_.end();) {
        if (it->first.StartsWith(from)) {
            // A folder that cannot be named any more is dropped: nothing
            // can show or remove it.
            if (std::optional<ItemIdList> renamed = ReplacePrefix(it->first, from, to))
                moved.emplace_back(std::move(*renamed), it->second);
            it = counts_.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& [folder, count] : moved)
        counts_[std::move(folder)] += count;
}

std::optional<ItemIdList> ReplacePrefix(const ItemIdList& list, const ItemIdList& prefix,
                                        const ItemIdList& replacement)
{
    ItemIdList result = replacement;
    const auto elements = list.Elements();
    for (std::size_t i = std::size_t(prefix.Count()); i < elements.size(); ++i) {
        auto next = result.Append(elements[i].kind, elements[i].name, elements[i].hints);
        if (!next)
            return std::nullopt;
        result = std::move(*next);
    }
    return result;
}

} // namespace orbisk
