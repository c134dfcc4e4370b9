#include "platform/ShellNamespace.h"

#include "platform/MountTable.h"

#include <QFile>
#include <QStandardPaths>

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbisk {

namespace {

std::string_view BaseName(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

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

NamespaceRole RoleOf(const ItemIdList& absolute)
{
    if (absolute.IsEmpty())
        return NamespaceRole::Desktop;
    const auto elements = absolute.Elements();
    std::size_t names = 1;
    switch (elements[0].kind) {
    case IdKind::Computer:
        if (elements.size() == 1)
            return NamespaceRole::Computer;
        if (elements[1].kind != IdKind::Drive)
            return NamespaceRole::Invalid;
        names = 2;
        break;
    case IdKind::Home:
    case IdKind::DesktopEntry:
        break;
    default:
        return NamespaceRole::Invalid;
    }
    for (std::size_t i = names; i < elements.size(); ++i)
        if (elements[i].kind != IdKind::Name || elements[i].name.empty())
            return NamespaceRole::Invalid;
    return NamespaceRole::FileSystem;
}

std::string HomeFolderPath()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

std::string DesktopFolderPath()
{
    return QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)).toStdString();
}

std::string JoinPath(std::string_view base, std::string_view name)
{
    std::string out;
    out.reserve(base.size() + name.size() + 1);
    out.append(base);
    if (out.empty() || out.back() != '/')
        out += '/';
    out.append(name);
    return out;
}

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
        return mountPoint == "/" ? QStringLiteral("File System") : DecodeName(BaseName(mountPoint));
    }
    case IdKind::DesktopEntry:
    case IdKind::Name:
        break;
    }
    return DecodeName(absolute.LastName());
}

std::optional<std::string> NormalizePath(std::string_view path)
{
    if (path.empty() || path[0] != '/' || path.size() > MaxParsePathBytes)
        return std::nullopt;
    std::string out;
    std::size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && path[i] == '/')
            ++i;
        const std::size_t start = i;
        while (i < path.size() && path[i] != '/')
            ++i;
        const std::string_view part = path.substr(start, i - start);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            out.resize(out.rfind('/') == std::string::npos ? 0 : out.rfind('/'));
            continue;
        }
        out += '/';
        out.append(part);
    }
    return out.empty() ? std::string("/") : out;
}

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
        list = list.Append(IdKind::Name, part, last ? lastHints : uint8_t(HintFolder | HintTypeKnown));
        if (list.IsEmpty())
            return std::nullopt; // deeper than a list may be
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
    return ComputerIdList().Append(IdKind::Drive, mountPoint, HintFolder | HintTypeKnown);
}

} // namespace orbisk
