#include "core/ScanLists.h"

namespace orbisk {

std::shared_ptr<ScanLists> CopyOf(const ScanLists& lists)
{
    auto copy = std::make_shared<ScanLists>();
    // Icons first: each names a file and folder published before it.
    const std::size_t icons = lists.icons.size();
    const std::size_t files = lists.files.size();
    const std::size_t folders = lists.folders.size();
    for (std::size_t i = 0; i < folders; ++i)
        copy->folders.emplace_back(lists.folders[i]);
    for (std::size_t i = 0; i < files; ++i)
        copy->files.emplace_back(lists.files[i]);
    for (std::size_t i = 0; i < icons; ++i) {
        const IconEntry& entry = lists.icons[i];
        if (copy->icons.Append(entry.FileIndex, entry.IconIndex, CopyIcon(entry.Handle)) && entry.Marked.load())
            copy->icons.MarkIcon(copy->icons.size() - 1);
    }
    return copy;
}

} // namespace orbisk
