#include "shell/items/RootFolders.h"

#include "platform/files/NativePath.h"
#include "platform/files/UserFolders.h"
#include "platform/namespace/ItemNames.h"
#include "platform/namespace/NamespaceRole.h"
#include "platform/namespace/PathParsing.h"
#include "shell/items/ShellErrors.h"

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
