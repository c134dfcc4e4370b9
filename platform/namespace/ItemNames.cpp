#include "platform/namespace/ItemNames.h"

#include "platform/files/NativePath.h"
#include "platform/files/UserFolders.h"
#include "platform/namespace/MountTable.h"
#include "platform/namespace/NamespaceRole.h"

namespace orbisk {

QString DecodeName(std::string_view native)
{
    return QString::fromUtf8(native.data(), qsizetype(native.size()));
}

std::optional<std::string> NativePathOf(const ItemIdList& absolute)
{
    if (RoleOf(absolute) != NamespaceRole::FileSystem)
        return std::nullopt;
    const auto elements = absolute.Elements();
    std::string path;
    std::size_t i = 0;
    switch (elements[0].kind) {
    case IdKind::Computer:
        path = std::string(elements[1].name);
        i = 2;
        break;
    case IdKind::Home:
        path = HomeFolderPath();
        i = 1;
        break;
    default: // a desktop entry
        path = JoinPath(DesktopFolderPath(), elements[0].name);
        i = 1;
        break;
    }
    for (; i < elements.size(); ++i)
        path = JoinPath(path, elements[i].name);
    return path;
}

QString ParsingNameOf(const ItemIdList& absolute)
{
    switch (RoleOf(absolute)) {
    case NamespaceRole::Desktop:
        return DecodeName(DesktopFolderPath());
    case NamespaceRole::Computer:
        return DecodeName(ComputerParsingName);
    case NamespaceRole::FileSystem:
        return DecodeName(*NativePathOf(absolute));
    case NamespaceRole::Invalid:
        break;
    }
    return {};
}

QString DisplayNameOf(const ItemIdList& absolute)
{
    if (absolute.IsEmpty())
        return QStringLiteral("Desktop");
    switch (absolute.LastKind()) {
    case IdKind::Computer:
        return QStringLiteral("Computer");
    case IdKind::Home:
        return QStringLiteral("Home");
    case IdKind::Drive: {
        const std::string mountPoint(absolute.LastName());
        if (const auto drive = DriveAt(mountPoint))
            return drive->displayName;
        // A drive that has gone since the list was made keeps a sensible name.
        return mountPoint == "/" ? QStringLiteral("File System") : DecodeName(SplitFilePath(mountPoint).name);
    }
    case IdKind::DesktopEntry:
    case IdKind::Name:
        break;
    }
    return DecodeName(absolute.LastName());
}

} // namespace orbisk
