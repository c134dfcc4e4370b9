#include "platform/namespace/ShellFileInfo.h"

#include "platform/namespace/MimeTypeNames.h"
#include "platform/namespace/MountTable.h"
#include "platform/namespace/SystemImageList.h"

#include <mutex>
#include <unordered_map>

namespace orbisk {

namespace {

int FileIconIndex(std::string_view name)
{
    static std::mutex mutex;
    static std::unordered_map<std::string, int> byExtension;
    const std::string extension(TypeSuffix(name));
    {
        std::lock_guard lock(mutex);
        if (const auto it = byExtension.find(extension); it != byExtension.end())
            return it->second;
    }
    const MimeIconNames names = MimeIconNamesForExtension(extension);
    const int index = names.icon.isEmpty()
        ? SystemIconIndex(QStringLiteral("application-x-generic"), QStringLiteral("text-x-generic"), IconShape::File)
        : SystemIconIndex(names.icon, names.generic, IconShape::File);
    std::lock_guard lock(mutex);
    byExtension.emplace(extension, index);
    return index;
}

int DriveIconIndex(std::string_view mountPoint)
{
    switch (GetDriveType(std::string(mountPoint))) {
    case DriveRemovable:
        return SystemIconIndex(QStringLiteral("drive-removable-media"), QStringLiteral("drive-harddisk"), IconShape::Drive);
    case DriveCdRom:
        return SystemIconIndex(QStringLiteral("drive-optical"), QStringLiteral("drive-harddisk"), IconShape::Drive);
    case DriveRemote:
        return SystemIconIndex(QStringLiteral("folder-remote"), QStringLiteral("folder"), IconShape::Drive);
    default:
        break;
    }
    return SystemIconIndex(QStringLiteral("drive-harddisk"), QString(), IconShape::Drive);
}

int FolderIconIndex(bool open)
{
    static const int closedIndex = SystemIconIndex(QStringLiteral("folder"), QString(), IconShape::Folder);
    static const int openIndex =
        SystemIconIndex(QStringLiteral("folder-open"), QStringLiteral("folder"), IconShape::OpenFolder);
    return open ? openIndex : closedIndex;
}

int IconIndexOf(const ItemIdList& absolute, uint32_t attributes, bool open)
{
    switch (RoleOf(absolute)) {
    case NamespaceRole::Desktop:
        return SystemIconIndex(QStringLiteral("user-desktop"), QStringLiteral("folder"), IconShape::Desktop);
    case NamespaceRole::Computer:
        return SystemIconIndex(QStringLiteral("computer"), QString(), IconShape::Computer);
    case NamespaceRole::Invalid:
        return SystemIconIndex(QStringLiteral("application-x-generic"), QStringLiteral("text-x-generic"), IconShape::File);
    case NamespaceRole::FileSystem:
        break;
    }
    if (absolute.LastKind() == IdKind::Drive)
        return DriveIconIndex(absolute.LastName());
    if (absolute.LastKind() == IdKind::Home)
        return SystemIconIndex(QStringLiteral("user-home"), QStringLiteral("folder"), IconShape::Home);
    if (attributes & AttrFolder)
        return FolderIconIndex(open);
    return FileIconIndex(absolute.LastName());
}

} // namespace

ShellFileInfo GetShellFileInfo(const ShellFolder& parent, const ItemIdList& relative, uint32_t flags)
{
    ShellFileInfo info;
    const auto combined = ItemIdList::Combine(parent.IdList(), relative);
    if (!combined)
        return info;
    const ItemIdList& absolute = *combined;
    const uint32_t attributes =
        parent.GetAttributesOf(relative, AttrFolder | AttrFileSystem | AttrLink | AttrShare | AttrHidden);
    if (flags & InfoAttributes)
        info.attributes = attributes;
    if (flags & InfoDisplayName)
        info.displayName = DisplayNameOf(absolute);
    if (flags & InfoSysIconIndex)
        info.iconIndex = IconIndexOf(absolute, attributes, (flags & InfoOpenIcon) != 0);
    return info;
}

ShellFileInfo SHGetFileInfo(const ItemIdList& absolute, uint32_t flags)
{
    const auto desktop = SHGetDesktopFolder();
    if (absolute.Count() <= 1)
        return GetShellFileInfo(*desktop, absolute, flags);
    const auto parent = desktop->BindToObject(absolute.WithoutLast());
    if (!parent)
        return GetShellFileInfo(*desktop, absolute, flags);
    return GetShellFileInfo(*parent, absolute.Last(), flags);
}

} // namespace orbisk
