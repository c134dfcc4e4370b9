#include "platform/files/FolderContents.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace orbisk {

namespace {

enum class EntryKind { Other, Folder, File };

EntryKind KindOf(int dirFd, const dirent& entry)
{
    if (entry.d_type == DT_DIR)
        return EntryKind::Folder;
    if (entry.d_type == DT_REG)
        return EntryKind::File;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return EntryKind::Other;
    // Links, and file systems that do not report the type: ask, following
    // the link.
    struct stat st {};
    if (::fstatat(dirFd, entry.d_name, &st, 0) != 0)
        return EntryKind::Other;
    if (S_ISDIR(st.st_mode))
        return EntryKind::Folder;
    return S_ISREG(st.st_mode) ? EntryKind::File : EntryKind::Other;
}

} // namespace

Result<FolderContents> ReadFolderContents(const std::string& path)
{
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return Error { "the folder cannot be opened" };
    FolderContents contents;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        switch (KindOf(::dirfd(dir), *entry)) {
        case EntryKind::Folder:
            contents.folders.emplace_back(entry->d_name);
            break;
        case EntryKind::File:
            contents.files.emplace_back(entry->d_name);
            break;
        case EntryKind::Other:
            break;
        }
    }
    ::closedir(dir);
    return contents;
}

} // namespace orbisk
