#include "core/IconSource.h"

#include "platform/files/NativePath.h"

namespace orbisk {

std::string ScanFilePath(const FolderList& folders, const TfileList& files, std::size_t fileIndex)
{
    if (fileIndex >= files.size())
        return {};
    const FileListRec& file = files[fileIndex];
    if (file.FolderIndex < 0 || std::size_t(file.FolderIndex) >= folders.size())
        return {};
    return JoinPath(folders[std::size_t(file.FolderIndex)], file.FileName);
}

std::string IconSourceName(const FolderList& folders, const TfileList& files, const IconEntry& entry)
{
    const std::string path = entry.FileIndex < 0 ? std::string() : ScanFilePath(folders, files, std::size_t(entry.FileIndex));
    return path + " #" + std::to_string(entry.IconIndex);
}

} // namespace orbisk
