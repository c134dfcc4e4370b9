#include "core/TIconList.h"

#include <new>
#include <unordered_map>
#include <vector>

namespace orbisk {

bool TIconList::Append(int32_t fileIndex, int32_t iconIndex, HICON handle)
{
    // Owned from here on: a refused entry destroys it.
    UniqueIcon owned(handle);
    try {
        entries_.emplace_back(fileIndex, iconIndex, std::move(owned));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void TIconList::Clear() { entries_.Clear(); }

void TIconList::MarkIcon(std::size_t index)
{
    if (index < entries_.size())
        entries_[index].Marked.store(1, std::memory_order_relaxed);
}

void TIconList::MarkAllIcons()
{
    const std::size_t n = entries_.size();
    for (std::size_t i = 0; i < n; ++i)
        entries_[i].Marked.store(1, std::memory_order_relaxed);
}

void TIconList::UnmarkAllIcons()
{
    const std::size_t n = entries_.size();
    for (std::size_t i = 0; i < n; ++i)
        entries_[i].Marked.store(0, std::memory_order_relaxed);
}

bool TIconList::AnyIconMarked() const
{
    const std::size_t n = entries_.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (entries_[i].Marked.load(std::memory_order_relaxed))
            return true;
    }
    return false;
}

std::size_t TIconList::CountMarkedIcons() const
{
    std::size_t marked = 0;
    const std::size_t n = entries_.size();
    for (std::size_t i = 0; i < n; ++i)
        marked += entries_[i].Marked.load(std::memory_order_relaxed) != 0;
    return marked;
}

// One pass that slides the kept entries down over the removed ones: removing
// thousands of marked icons stays linear, and the survivors keep their order.
template <typename Keep>
std::size_t TIconList::RemoveUnless(Keep keep)
{
    const std::size_t n = entries_.size();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < n; ++i) {
        IconEntry& e = entries_[i];
        if (!keep(i, e)) {
            e.Handle.reset();
            continue;
        }
        if (kept != i) {
            IconEntry& to = entries_[kept];
            to.FileIndex = e.FileIndex;
            to.IconIndex = e.IconIndex;
            to.Marked.store(e.Marked.load(std::memory_order_relaxed), std::memory_order_relaxed);
            to.Handle = std::move(e.Handle);
        }
        ++kept;
    }
    entries_.Truncate(kept);
    return n - kept;
}

std::size_t TIconList::RemoveMarked()
{
    return RemoveUnless([](std::size_t, const IconEntry& e) { return e.Marked.load(std::memory_order_relaxed) == 0; });
}

std::size_t TIconList::RemoveDuplicates()
{
    // Equal pictures share one image, so their handles are equal.
    const std::size_t n = entries_.size();
    std::unordered_map<HICON, std::size_t> first;
    std::vector<bool> duplicate(n, false);
    for (std::size_t i = 0; i < n; ++i) {
        const auto [at, added] = first.try_emplace(entries_[i].Handle, i);
        if (added)
            continue;
        duplicate[i] = true;
        if (entries_[i].Marked.load(std::memory_order_relaxed))
            entries_[at->second].Marked.store(1, std::memory_order_relaxed);
    }
    return RemoveUnless([&](std::size_t i, const IconEntry&) { return !duplicate[i]; });
}

bool TIconList::RemoveAt(std::size_t index)
{
    if (index >= entries_.size())
        return false;
    RemoveUnless([index](std::size_t i, const IconEntry&) { return i != index; });
    return true;
}

} // namespace orbisk
