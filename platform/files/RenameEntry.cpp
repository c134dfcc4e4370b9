#include "platform/files/RenameEntry.h"

#include "platform/files/NativePath.h"

#include <fcntl.h>
#include <stdio.h>

namespace orbisk {

Result<Ok> RenameEntry(const std::string& path, std::string_view newName)
{
    if (newName.empty() || newName == "." || newName == ".." || newName.find('/') != std::string_view::npos ||
        newName.find('\0') != std::string_view::npos)
        return Error{"not a valid name"};
    const SplitPath parts = SplitFilePath(path);
    if (parts.name.empty())
        return Error{"nothing to rename"};
    const std::string target = JoinPath(parts.folder, newName);
    if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0)
        return Error{"cannot rename"};
    return Ok{};
}

} // namespace orbisk
