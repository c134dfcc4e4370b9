#pragma once

#include <cstdint>
#include <initializer_list>

namespace orbisk {

// What a folder tree allows and shows.
enum TStTreeOptions : int {
    toAllowRename,     // rename a node in place
    toAllowDrag,       // drag nodes out as text/uri-list
    toAllowDrop,       // kept; there is no shell drop target to hand drops to
    toColorCompressed, // compressed folders in CompressedColor
    toExpandTopNode,   // expand the root node after building
    toExtendedMenu,    // kept; there is no shell context menu
    toShellMenu,       // kept; there is no shell context menu
    toShowFiles,       // files appear as nodes too
    toShowHidden,      // hidden (dot) folders appear
};

// A set of TStTreeOptions.
class TStTreeOptionsSet {
public:
    constexpr TStTreeOptionsSet() = default;
    constexpr TStTreeOptionsSet(std::initializer_list<TStTreeOptions> options)
    {
        for (TStTreeOptions o : options)
            Include(o);
    }

    constexpr bool Contains(TStTreeOptions o) const { return (bits_ >> int(o)) & 1u; }
    constexpr void Include(TStTreeOptions o) { bits_ |= 1u << int(o); }
    constexpr void Exclude(TStTreeOptions o) { bits_ &= ~(1u << int(o)); }
    constexpr bool operator==(const TStTreeOptionsSet&) const = default;

private:
    uint32_t bits_ = 0;
};

} // namespace orbisk
