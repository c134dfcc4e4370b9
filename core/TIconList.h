#pragma once

#include "core/ChunkedList.h"
#include "platform/pixels/IconHandle.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace orbisk {

// The handle an entry owns: destroyed with the entry or by reset(), and
// read by everyone else as the plain HICON they borrow.
class EntryHandle {
public:
    explicit EntryHandle(UniqueIcon icon)
        : icon_(std::move(icon))
    {
    }
    operator HICON() const { return icon_.get(); }
    HICON operator->() const { return icon_.get(); }
    void reset() { icon_.reset(); }

private:
    UniqueIcon icon_;
};

// One extracted icon.
struct IconEntry {
    IconEntry(int32_t fileIndex, int32_t iconIndex, UniqueIcon handle)
        : FileIndex(fileIndex)
        , IconIndex(iconIndex)
        , Handle(std::move(handle))
    {
    }
    IconEntry(const IconEntry&) = delete;
    IconEntry& operator=(const IconEntry&) = delete;

    // Index in TfileList of the file the icon came from.
    int32_t FileIndex;
    // Position of the icon in its file, from 0: the n given to ExtractIcon.
    int32_t IconIndex;
    // 1 when the user marked the icon. Atomic because the window marks icons
    // while a worker (the batch save) may clear marks; 0 when the entry is made.
    std::atomic<uint8_t> Marked { 0 };
    // Owned by the list: destroyed when the entry is removed or the list
    // cleared. Everyone else only borrows it.
    EntryHandle Handle;
};

// The icons of the last scan, in extraction order (by file, then by
// IconIndex); the grid shows entry row * columns + column in each cell.
//
// Threads: while a scan runs, its worker is the only one that appends, and the
// window thread may read any entry below size() and write Marked (MarkIcon,
// a double-click) at the same time; entries never move while appending (see
// ChunkedList) and are complete before they count. Everything that removes
// entries (RemoveMarked, RemoveAt, Clear) runs only while no worker runs.
class TIconList {
public:
    TIconList() = default;
    TIconList(const TIconList&) = delete;
    TIconList& operator=(const TIconList&) = delete;
    ~TIconList() { Clear(); }

    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    IconEntry& operator[](std::size_t i) { return entries_[i]; }
    const IconEntry& operator[](std::size_t i) const { return entries_[i]; }

    // Takes ownership of handle. When the entry cannot be stored the handle is
    // destroyed at once and false is returned, so no icon is ever leaked.
    bool Append(int32_t fileIndex, int32_t iconIndex, HICON handle);

    // Destroys every handle once, in index order, and empties the list.
    void Clear();

    // Sets Marked on entry index; an index past the end is ignored.
    void MarkIcon(std::size_t index);
    void MarkAllIcons();
    void UnmarkAllIcons();
    bool AnyIconMarked() const;
    std::size_t CountMarkedIcons() const;

    // Removes (and destroys the handles of) every marked entry; the others keep
    // their order. Returns how many were removed.
    std::size_t RemoveMarked();
    // Keeps the first entry of each distinct picture (handles that share one
    // image) and removes the others, the kept ones in their order; a kept
    // entry becomes marked when any entry removed as its duplicate was.
    // Returns how many were removed.
    std::size_t RemoveDuplicates();
    // Removes entry index; false (and nothing changes) when index is past the end.
    bool RemoveAt(std::size_t index);

private:
    // Keeps the entries for which keep(entry) is true, in order.
    template <typename Keep>
    std::size_t RemoveUnless(Keep keep);

    ChunkedList<IconEntry> entries_;
};

} // namespace orbisk
