#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <sys/types.h>

namespace orbisk {

// What the walk does with a directory entry.
enum class EntryKind : uint8_t { Skip, Folder, File };

// Sorts an entry of the open folder dirFd. Only the entry type the listing
// gives is used where it says enough: a look at the entry itself is taken
// only when the file system gives no type, and for a link whose name passes
// the filter (a link to a folder is skipped, a link to a file is a file).
// "." and "..", folders while withSub is off, files the filter does not
// pass and entries gone since they were listed are skipped. Special files
// (FIFOs, devices, sockets) are files: extraction never opens them.
EntryKind ClassifyEntry(int dirFd, const dirent& entry, bool withSub, std::string_view fileExt);

// Tells folders apart, so a folder reached twice (a bind mount of an
// ancestor, say) is walked only the first time.
struct FolderId {
    dev_t dev = 0;
    ino_t ino = 0;
    bool operator==(const FolderId&) const = default;
};
struct FolderIdHash {
    std::size_t operator()(const FolderId& id) const
    {
        return std::hash<ino_t>()(id.ino) * 31 + std::hash<dev_t>()(id.dev);
    }
};

// One folder's entries, read and sorted ahead of the walk. Not listed: the
// walk reads the folder itself (it could not be opened, or it holds more
// than the entries a listing may keep).
struct FolderListing {
    struct Entry {
        std::string name;
        EntryKind kind;
    };
    bool listed = false;
    FolderId id;
    // Every entry in listing order, "." and ".." included.
    std::vector<Entry> entries;
};

// Lists the folder at path, a folder found by the walk (a link put in its
// place since is not followed), keeping at most maxEntries entries.
FolderListing ListFolder(const std::string& path, bool withSub, std::string_view fileExt, std::size_t maxEntries);

} // namespace orbisk
