#include "shell/RootFolderRole.h"

#include "platform/ShellNamespace.h"
#include "shell/ShellErrors.h"

namespace orbisk {

namespace {
constexpr int NeededForNewRoles = 471;
}

void CheckShellVersion(TStSpecialRootFolder folder)
{
    const bool newRole = folder == sfInternet || (folder >= sfAltStartup && folder <= sfHistory);
    if (newRole && ShellVersion() < NeededForNewRoles)
        throw EStShellError();
}

std::optional<ItemIdList> SpecialRootFolderIdList(TStSpecialRootFolder folder)
{
    if (folder == sfNone)
        return std::nullopt;
    return SHGetSpecialFolderLocation(int(folder));
}

ItemIdList ParseFolderPath(const QString& path)
{
    std::optional<ItemIdList> list = ParseDisplayName(path);
    if (!list)
        throw EStInvalidFolder();
    return *std::move(list);
}

} // namespace orbisk
