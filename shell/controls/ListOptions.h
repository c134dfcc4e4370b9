#pragma once

#include "platform/base/EnumSet.h"

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
inline constexpr int ListOptionCount = loSortTypeByExt + 1;

// A set of TStListOptions.
using TStListOptionsSet = EnumSet<TStListOptions, ListOptionCount>;

} // namespace orbisk
