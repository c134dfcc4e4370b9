#pragma once

#include "platform/base/Result.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

// What one element of an item-ID list names. The namespace is built on the
// file system: the desktop (the empty list) holds Computer, the home folder and
// the entries of the desktop folder; Computer holds the drives (mount points);
// below a drive, the home folder or a desktop entry, one element per path
// component.
enum class IdKind : uint8_t {
    Computer,      // no name
    Drive,         // name = the mount point, a native absolute path
    Home,          // no name; stands for the user's home folder
    DesktopEntry,  // name = an entry of the desktop folder
    Name,          // name = one path component, native bytes
};

// Facts an element learnt when it was made (from a directory entry, a stat or
// a change event), so that an item that has vanished since can still say
// whether it was a folder. They never take part in equality.
enum IdHint : uint8_t {
    HintFolder = 1,      // a folder (or a link to one)
    HintLink = 2,        // a symbolic link
    HintTypeKnown = 4,   // HintFolder is valid
    HintLinkKnown = 8,   // HintLink is valid
};

namespace detail {
struct IdNode;
}

// An item-ID list: a chain of elements from the desktop down, immutable and
// cheap to copy. Lists share their common prefix: a child's list is one new
// element pointing at its folder's list, so the items of one folder do not
// repeat the folder's path. A list may also stand for only the last `Count()`
// elements of a longer chain (a relative list); elements are compared by kind
// and name, so equality does not depend on how the lists were made.
class ItemIdList {
public:
    ItemIdList() = default; // the empty list: the desktop
    ItemIdList(const ItemIdList& other);
    ItemIdList(ItemIdList&& other) noexcept;
    ItemIdList& operator=(const ItemIdList& other);
    ItemIdList& operator=(ItemIdList&& other) noexcept;
    ~ItemIdList();

    // A one-element list.
    static ItemIdList Element(IdKind kind, std::string_view name = {}, uint8_t hints = 0);
    // This list followed by one new element; an error when the list would
    // have more than MaxElements elements.
    Result<ItemIdList> Append(IdKind kind, std::string_view name = {}, uint8_t hints = 0) const;
    // `folder` followed by the elements of `relative`; an error when the
    // list would have more than MaxElements elements. When `relative` was
    // made as a child of `folder` (as an enumeration does) nothing is copied.
    static Result<ItemIdList> Combine(const ItemIdList& folder, const ItemIdList& relative);

    int Count() const { return int(count_); }
    bool IsEmpty() const { return count_ == 0; }
    // The list without its last element; the empty list stays empty.
    ItemIdList WithoutLast() const;
    // The last element as a one-element list; empty for the empty list.
    ItemIdList Last() const;
    // The first n elements (n is clamped to 0..Count()).
    ItemIdList Prefix(int n) const;
    // Whether `prefix` equals the first prefix.Count() elements of this list.
    bool StartsWith(const ItemIdList& prefix) const;

    // The last element (undefined for the empty list: check IsEmpty first).
    IdKind LastKind() const;
    std::string_view LastName() const;
    uint8_t LastHints() const;

    struct ElementView {
        IdKind kind;
        std::string_view name;
        uint8_t hints;
    };
    // Every element, the first (nearest the desktop) first.
    std::vector<ElementView> Elements() const;

    bool operator==(const ItemIdList& other) const;
    bool operator!=(const ItemIdList& other) const { return !(*this == other); }
    std::size_t Hash() const;

    // Heap bytes that this list's own last element occupies (its share of a
    // folder's items), for memory accounting.
    std::size_t LastElementBytes() const;

    // Upper bound on elements: deeper lists cannot be made (Append and
    // Combine fail), which also bounds every walk over a list.
    static constexpr int MaxElements = 4096;

private:
    // Takes over one reference to `tail`.
    ItemIdList(detail::IdNode* tail, uint32_t count) : tail_(tail), count_(count) {}
    // Adds a reference to `tail`.
    static ItemIdList Share(detail::IdNode* tail, uint32_t count);
    detail::IdNode* tail_ = nullptr;
    uint32_t count_ = 0;
};

} // namespace orbisk
