#pragma once

#include <cstdint>
#include <initializer_list>

namespace orbisk {

// The file list's options. Those that need a shell service this desktop
// lacks (the shell's context menu and its extended form, shell drop targets,
// shell windows for folders) are kept and have no other effect.
enum TStListOptions : int {
    loAllowRename,            // in-place renaming of items that can be renamed
    loAllowDrag,              // items are dragged out as a list of file URLs
    loAllowDrop,              // the list accepts shell drops (kept only)
    loColorCompressed,        // compressed items are drawn in CompressedColor
    loExtendedMenu,           // the shell menu's extended commands (kept only)
    loOpenFoldersInNewWindow, // a double-clicked folder opens in a file manager
    loShellMenu,              // the shell's context menu (kept only)
    loShowHidden,             // hidden items are listed
    loSortTypeByExt,          // the Type column sorts files by extension
};

// A set of TStListOptions.
class TStListOptionsSet {
public:
    constexpr TStListOptionsSet() = default;
    constexpr TStListOptionsSet(std::initializer_list<TStListOptions> options)
    {
        for (TStListOptions o : options)
            Include(o);
    }

    constexpr bool Contains(TStListOptions o) const { return (bits_ >> int(o)) & 1u; }
    constexpr void Include(TStListOptions o) { bits_ |= 1u << int(o); }
    constexpr void Exclude(TStListOptions o) { bits_ &= ~(1u << int(o)); }
    constexpr bool operator==(const TStListOptionsSet&) const = default;

private:
    uint32_t bits_ = 0;
};

} // namespace orbisk
