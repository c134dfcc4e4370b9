#include "core/FolderListing.h"

#include "core/PassesFilter.h"

#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbisk {

EntryKind ClassifyEntry(int dirFd, const dirent& entry, bool withSub, std::string_view fileExt)
{
    const char* name = entry.d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
        return EntryKind::Skip;
    unsigned char type = entry.d_type;
    struct stat st;
    if (type == DT_UNKNOWN) {
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return EntryKind::Skip; // gone since it was listed
        type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
    }
    if (type == DT_DIR)
        return withSub ? EntryKind::Folder : EntryKind::Skip;
    if (!PassesFilter(name, fileExt))
        return EntryKind::Skip;
    if (type == DT_LNK && ::fstatat(dirFd, name, &st, 0) == 0 && S_ISDIR(st.st_mode))
        return EntryKind::Skip; // a link to a folder
    return EntryKind::File;
}

FolderListing ListFolder(const std::string& path, bool withSub, std::string_view fileExt, std::size_t maxEntries)
{
    FolderListing listing;
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return listing;
    struct stat st;
    DIR* dir = ::fstat(fd, &st) == 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        ::close(fd);
        return listing;
    }
    listing.id = { st.st_dev, st.st_ino };
    listing.listed = true;
    while (const dirent* entry = ::readdir(dir)) {
        if (listing.entries.size() == maxEntries) {
            listing = {};
            break;
        }
        listing.entries.push_back({ entry->d_name, ClassifyEntry(fd, *entry, withSub, fileExt) });
    }
    ::closedir(dir);
    return listing;
}

} // namespace orbisk
