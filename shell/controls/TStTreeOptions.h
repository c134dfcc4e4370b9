#pragma once

#include "platform/base/EnumSet.h"

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
inline constexpr int TreeOptionCount = toShowHidden + 1;

// A set of TStTreeOptions.
using TStTreeOptionsSet = EnumSet<TStTreeOptions, TreeOptionCount>;

} // namespace orbisk
