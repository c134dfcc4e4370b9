#pragma once

#include <cstdint>

namespace orbisk {

// The attribute bits that a shell folder answers for its items. A caller asks
// for the bits it needs; bits that cost a look at the disk (compressed,
// can-rename, has-sub-folders) are only worked out when asked for.
enum ShellAttribute : uint32_t {
    AttrCanRename = 1u << 0,    // the parent folder is writable
    AttrLink = 1u << 1,         // a symbolic link
    AttrShare = 1u << 2,        // shared on the network (never, here)
    AttrHidden = 1u << 3,       // the name begins with "."
    AttrCompressed = 1u << 4,   // the file system reports it compressed
    AttrFolder = 1u << 5,       // a folder, or a link to one
    AttrFileSystem = 1u << 6,   // an object of the file system
    AttrHasSubFolder = 1u << 7, // holds at least one folder
};

// What a folder enumerator yields.
enum EnumFlag : uint32_t {
    EnumFolders = 1u << 0,
    EnumNonFolders = 1u << 1,
    EnumIncludeHidden = 1u << 2,
};

// The forms of an item's name.
enum class NameForm {
    Normal,     // as shown to the user
    ForParsing, // the full path (or the namespace's own name for virtual items)
};

} // namespace orbisk
