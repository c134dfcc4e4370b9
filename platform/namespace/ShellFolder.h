#pragma once

#include "platform/namespace/FolderEnumerator.h"
#include "platform/namespace/ItemIdList.h"
#include "platform/namespace/ShellAttributes.h"
#include "platform/files/NativePath.h"
#include "platform/files/UserFolders.h"
#include "platform/namespace/ItemNames.h"
#include "platform/namespace/NamespaceRole.h"
#include "platform/namespace/PathParsing.h"

#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {

// A folder of the namespace bound to its item-ID list: the object that
// answers for the items inside it (their attributes, names and order), lists
// them, and binds to sub-folders. Folder objects are shared (items hold their
// parent folder) and never change after they are made.
//
// The relative lists given to a folder are relative to it. The desktop folder
// takes absolute lists (relative to the desktop, that is).
class ShellFolder {
public:
    const ItemIdList& IdList() const { return idList_; }
    NamespaceRole Role() const { return role_; }
    bool IsFileSystem() const { return role_ == NamespaceRole::FileSystem; }
    // The folder's native path; empty unless IsFileSystem().
    const std::string& NativePath() const { return path_; }

    // The folder that `relative` names below this one; none for an empty list,
    // a chain the namespace never makes, or an item known to be a file. A
    // folder that no longer exists still binds; listing it then gives nothing.
    std::shared_ptr<ShellFolder> BindToObject(const ItemIdList& relative) const;

    // The bits of `mask` (ShellAttribute) that hold for the item. An empty
    // relative list asks about this folder itself.
    uint32_t GetAttributesOf(const ItemIdList& relative, uint32_t mask) const;

    QString GetDisplayNameOf(const ItemIdList& relative, NameForm form) const;

    // The native path of an item below this folder; none outside the file
    // system.
    std::optional<std::string> NativePathOf(const ItemIdList& relative) const;

    // The folder's items (EnumFlag bits); none when it cannot be listed (it
    // is unreadable, gone, or not a folder).
    std::unique_ptr<FolderEnumerator> EnumObjects(uint32_t flags) const;

    // The shell's order of two items of this folder (the desktop compares
    // absolute lists): virtual items first, folders before files, then names
    // in natural order (numbers by value, case ignored). Every column orders
    // by name. Negative, zero or positive.
    int CompareIDs(int column, const ItemIdList& a, const ItemIdList& b) const;
    // The same order for many items of this folder at once (each one
    // element long), every name collated once instead of at each comparison:
    // the indexes of `items`, first to last.
    std::vector<std::size_t> SortedOrder(const std::vector<const ItemIdList*>& items) const;

    // Only for binding: use SHGetDesktopFolder and BindToObject.
    explicit ShellFolder(ItemIdList absolute);

private:
    ItemIdList idList_;
    NamespaceRole role_;
    std::string path_;
};

// The desktop folder, shared by the whole program.
std::shared_ptr<ShellFolder> SHGetDesktopFolder();

// What the file system says of an item, for the file list's details: the
// item's own type (a link is followed), size and last-write time (seconds
// since the epoch, UTC, any date the file system holds), whether the user
// may not write it (see FindDataAt), and whether the file system keeps it
// compressed. None when the item cannot be looked up.
struct FindData {
    bool directory = false;
    int64_t size = 0;
    int64_t modified = 0;
    bool readOnly = false;
    bool compressed = false;
};
std::optional<FindData> GetFindData(const ShellFolder& folder, const ItemIdList& relative);
// The same for a native path.
std::optional<FindData> GetFindDataOfPath(const std::string& path);

} // namespace orbisk
