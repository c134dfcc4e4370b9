#include "platform/namespace/PathParsing.h"

#include "platform/files/NativePath.h"
#include "platform/namespace/ItemNames.h"
#include "platform/namespace/MountTable.h"

#include <QFile>

#include <sys/stat.h>

namespace orbisk {

namespace {

// Hints for the element that names an existing path.
uint8_t HintsOf(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return 0;
    uint8_t hints = HintTypeKnown | HintLinkKnown;
    if (S_ISLNK(st.st_mode)) {
        hints |= HintLink;
        struct stat target {};
        if (::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode))
            hints |= HintFolder;
    } else if (S_ISDIR(st.st_mode)) {
        hints |= HintFolder;
    }
    return hints;
}

} // namespace

std::optional<ItemIdList> ParseNativePath(std::string_view raw)
{
    if (raw == ComputerParsingName)
        return ComputerIdList();
    const std::optional<std::string> path = NormalizePath(raw);
    if (!path)
        return std::nullopt;
    const uint8_t lastHints = HintsOf(*path);
    if (!(lastHints & HintTypeKnown))
        return std::nullopt; // does not exist
    const auto drives = CurrentDrives();
    const Drive* drive = DriveHolding(*drives, *path);
    if (!drive)
        return std::nullopt;
    ItemIdList list = DriveIdList(drive->mountPoint);
    std::string_view rest = std::string_view(*path).substr(drive->mountPoint == "/" ? 1 : drive->mountPoint.size());
    while (!rest.empty()) {
        if (rest[0] == '/')
            rest.remove_prefix(1);
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        const bool last = slash == std::string_view::npos;
        // Every component before the last was passed through, so it is a folder.
        auto next = list.Append(IdKind::Name, part, last ? lastHints : uint8_t(HintFolder | HintTypeKnown));
        if (!next)
            return std::nullopt; // deeper than a list may be
        list = std::move(*next);
        rest = last ? std::string_view() : rest.substr(slash);
    }
    return list;
}

std::optional<ItemIdList> ParseDisplayName(const QString& name)
{
    const QByteArray native = QFile::encodeName(name);
    return ParseNativePath(std::string_view(native.constData(), std::size_t(native.size())));
}

ItemIdList ComputerIdList()
{
    return ItemIdList::Element(IdKind::Computer);
}

ItemIdList DriveIdList(std::string_view mountPoint)
{
    // The kernel resolves links before it mounts: a mount point is never
    // one, and a drive is described without being looked at.
    static_assert(ItemIdList::MaxElements >= 2, "a drive's list always fits");
    return ComputerIdList().Append(IdKind::Drive, mountPoint, HintFolder | HintTypeKnown | HintLinkKnown).value();
}

} // namespace orbisk
