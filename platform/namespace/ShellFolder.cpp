#include "platform/namespace/ShellFolder.h"

#include "platform/files/FolderPath.h"
#include "platform/files/NativePath.h"
#include "platform/namespace/DirectoryFindData.h"
#include "platform/namespace/MountTable.h"
#include "platform/namespace/NaturalOrder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <unordered_map>

namespace orbisk {

namespace {

bool StatIsLink(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool IsCompressed(const std::string& path)
{
    struct statx stx {};
    if (::statx(AT_FDCWD, path.c_str(), AT_STATX_DONT_SYNC, STATX_TYPE, &stx) != 0)
        return false;
    return (stx.stx_attributes_mask & STATX_ATTR_COMPRESSED) && (stx.stx_attributes & STATX_ATTR_COMPRESSED);
}

// Removable, network and optical drives say they hold folders without being
// read, so that building a tree never spins up a disc or waits for a server.
bool DriveAnswersWithoutLooking(std::string_view mountPoint)
{
    const DriveType type = GetDriveType(std::string(mountPoint));
    return type == DriveRemovable || type == DriveRemote || type == DriveCdRom;
}

uint32_t FileSystemAttributes(const ItemIdList& item, const std::string& path, uint32_t mask)
{
    const IdKind kind = item.LastKind();
    const uint8_t hints = item.LastHints();
    const std::string_view name = item.LastName();
    uint32_t a = AttrFileSystem;
    bool folder = false;
    if (mask & (AttrFolder | AttrHasSubFolder)) {
        folder = (hints & HintTypeKnown) ? (hints & HintFolder) != 0 : IsDirectory(path);
        if (folder)
            a |= AttrFolder;
    }
    if ((mask & AttrLink) && ((hints & HintLinkKnown) ? (hints & HintLink) != 0 : StatIsLink(path)))
        a |= AttrLink;
    if ((mask & AttrHidden) && (kind == IdKind::Name || kind == IdKind::DesktopEntry) && !name.empty() &&
        name[0] == '.')
        a |= AttrHidden;
    if ((mask & AttrCompressed) && IsCompressed(path))
        a |= AttrCompressed;
    // A mount point cannot be renamed, whatever its parent allows.
    if ((mask & AttrCanRename) && kind != IdKind::Drive && ::access(SplitFilePath(path).folder.c_str(), W_OK) == 0)
        a |= AttrCanRename;
    if ((mask & AttrHasSubFolder) && folder) {
        const bool yes = kind == IdKind::Drive && DriveAnswersWithoutLooking(name) ? true : HasSubFolderEntry(path);
        if (yes)
            a |= AttrHasSubFolder;
    }
    return a & mask;
}

int KindRank(IdKind kind)
{
    switch (kind) {
    case IdKind::Computer:
        return 0;
    case IdKind::Home:
        return 1;
    case IdKind::Drive:
        return 2;
    case IdKind::DesktopEntry:
    case IdKind::Name:
        break;
    }
    return 3;
}

// Where an element stands before its name is looked at: its kind, then `/`
// before the other drives, then folders before files.
int ElementRank(const ItemIdList::ElementView& e)
{
    const bool root = e.kind == IdKind::Drive && e.name == "/";
    const bool file = !(e.hints & HintFolder);
    return KindRank(e.kind) * 4 + (root ? 0 : 2) + (file ? 1 : 0);
}

int CompareElements(const ItemIdList::ElementView& x, const ItemIdList::ElementView& y)
{
    const int rx = ElementRank(x), ry = ElementRank(y);
    if (rx != ry)
        return rx < ry ? -1 : 1;
    return NaturalCompare(x.name, y.name);
}

} // namespace

ShellFolder::ShellFolder(ItemIdList absolute)
    : idList_(std::move(absolute)), role_(RoleOf(idList_)), path_(orbisk::NativePathOf(idList_).value_or(std::string()))
{
}

std::shared_ptr<ShellFolder> ShellFolder::BindToObject(const ItemIdList& relative) const
{
    if (relative.IsEmpty())
        return nullptr;
    auto combined = ItemIdList::Combine(idList_, relative);
    if (!combined)
        return nullptr;
    ItemIdList absolute = std::move(*combined);
    const NamespaceRole role = RoleOf(absolute);
    if (role == NamespaceRole::Invalid || absolute.IsEmpty())
        return nullptr;
    const uint8_t hints = absolute.LastHints();
    if (role == NamespaceRole::FileSystem && (hints & HintTypeKnown) && !(hints & HintFolder))
        return nullptr;
    return std::make_shared<ShellFolder>(std::move(absolute));
}

std::optional<std::string> ShellFolder::NativePathOf(const ItemIdList& relative) const
{
    // The common case, a child of a file-system folder, needs no walk.
    if (IsFileSystem() && relative.Count() == 1 && relative.LastKind() == IdKind::Name)
        return JoinPath(path_, relative.LastName());
    const auto absolute = ItemIdList::Combine(idList_, relative);
    if (!absolute)
        return std::nullopt;
    return orbisk::NativePathOf(*absolute);
}

uint32_t ShellFolder::GetAttributesOf(const ItemIdList& relative, uint32_t mask) const
{
    const auto absolute = ItemIdList::Combine(idList_, relative);
    if (!absolute)
        return 0;
    switch (RoleOf(*absolute)) {
    case NamespaceRole::Desktop:
    case NamespaceRole::Computer:
        return mask & (AttrFolder | AttrHasSubFolder);
    case NamespaceRole::FileSystem:
        return FileSystemAttributes(*absolute, *NativePathOf(relative), mask);
    case NamespaceRole::Invalid:
        break;
    }
    return 0;
}

QString ShellFolder::GetDisplayNameOf(const ItemIdList& relative, NameForm form) const
{
    const auto absolute = ItemIdList::Combine(idList_, relative);
    if (!absolute)
        return {};
    if (form == NameForm::Normal)
        return DisplayNameOf(*absolute);
    if (IsFileSystem()) {
        if (const auto path = NativePathOf(relative))
            return DecodeName(*path);
    }
    return ParsingNameOf(*absolute);
}

std::unique_ptr<FolderEnumerator> ShellFolder::EnumObjects(uint32_t flags) const
{
    switch (role_) {
    case NamespaceRole::Desktop:
        return EnumerateDesktop(flags);
    case NamespaceRole::Computer:
        return EnumerateComputer(idList_, flags);
    case NamespaceRole::FileSystem:
        return EnumerateDirectory(idList_, path_, flags);
    case NamespaceRole::Invalid:
        break;
    }
    return nullptr;
}

int ShellFolder::CompareIDs(int /*column*/, const ItemIdList& a, const ItemIdList& b) const
{
    const auto ea = a.Elements();
    const auto eb = b.Elements();
    const std::size_t n = std::min(ea.size(), eb.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (ea[i].kind == eb[i].kind && ea[i].name == eb[i].name)
            continue;
        const int c = CompareElements(ea[i], eb[i]);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    return ea.size() < eb.size() ? -1 : ea.size() > eb.size() ? 1 : 0;
}

std::vector<std::size_t> ShellFolder::SortedOrder(const std::vector<const ItemIdList*>& items) const
{
    // The items of one rank in the natural order of their names, rank after
    // rank; a name sorted finds its item again by the name.
    std::map<int, std::vector<std::size_t>> byRank;
    for (std::size_t i = 0; i < items.size(); ++i)
        byRank[ElementRank({items[i]->LastKind(), items[i]->LastName(), items[i]->LastHints()})].push_back(i);
    std::vector<std::size_t> order;
    order.reserve(items.size());
    for (const auto& [rank, group] : byRank) {
        std::vector<std::string> names;
        std::unordered_multimap<std::string_view, std::size_t> byName;
        names.reserve(group.size());
        for (std::size_t i : group) {
            names.emplace_back(items[i]->LastName());
            byName.emplace(items[i]->LastName(), i);
        }
        SortNaturally(names);
        for (const std::string& name : names) {
            const auto it = byName.find(name);
            order.push_back(it->second);
            byName.erase(it);
        }
    }
    return order;
}

std::shared_ptr<ShellFolder> SHGetDesktopFolder()
{
    static const std::shared_ptr<ShellFolder> desktop = std::make_shared<ShellFolder>(ItemIdList());
    return desktop;
}

std::optional<FindData> GetFindData(const ShellFolder& folder, const ItemIdList& relative)
{
    const auto path = folder.NativePathOf(relative);
    if (!path)
        return std::nullopt;
    return GetFindDataOfPath(*path);
}

std::optional<FindData> GetFindDataOfPath(const std::string& path)
{
    return FindDataAt(AT_FDCWD, path.c_str());
}

} // namespace orbisk
