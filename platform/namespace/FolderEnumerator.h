#pragma once

#include "platform/namespace/ItemIdList.h"

#include <memory>
#include <optional>
#include <string>

namespace orbisk {

// Yields the items of one folder, one relative item-ID list (a single element
// made as a child of the folder's list) at a time, in the order the file
// system lists them; nothing is sorted. Entries that vanish while they are
// read are passed over.
class FolderEnumerator {
public:
    virtual ~FolderEnumerator() = default;
    virtual std::optional<ItemIdList> Next() = 0;
};

// The entries of a directory as children of `folder`, filtered by EnumFlag
// bits; the element kind is IdKind::Name (IdKind::DesktopEntry for the
// desktop folder's entries). None when the directory cannot be opened.
std::unique_ptr<FolderEnumerator> EnumerateDirectory(const ItemIdList& folder, const std::string& path,
                                                     uint32_t flags, IdKind kind = IdKind::Name);

// The desktop's items: Computer, the home folder, then the desktop folder's
// entries.
std::unique_ptr<FolderEnumerator> EnumerateDesktop(uint32_t flags);

// Computer's items: the drives.
std::unique_ptr<FolderEnumerator> EnumerateComputer(const ItemIdList& computer, uint32_t flags);

// Whether a directory holds at least one folder (a link to a folder counts).
// A directory that cannot be read holds none; one with more than
// SubFolderProbeLimit entries before the first folder is taken to hold one,
// so that a huge folder of files does not stall the caller.
bool HasSubFolderEntry(const std::string& path);
inline constexpr int SubFolderProbeLimit = 4096;

} // namespace orbisk
