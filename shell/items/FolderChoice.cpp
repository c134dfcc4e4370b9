#include "shell/items/FolderChoice.h"

namespace orbisk {

void FolderChoice::SetPath(const QString& path)
{
    path_ = path;
    if (!path.isEmpty())
        special_ = sfNone;
}

bool FolderChoice::SetSpecial(TStSpecialRootFolder folder)
{
    CheckShellVersion(folder);
    if (folder == special_)
        return false;
    special_ = folder;
    if (folder != sfNone)
        path_.clear();
    return true;
}

std::optional<ItemIdList> FolderChoice::IdList() const
{
    if (!path_.isEmpty())
        return ParseFolderPath(path_);
    return SpecialRootFolderIdList(special_);
}

} // namespace orbisk
