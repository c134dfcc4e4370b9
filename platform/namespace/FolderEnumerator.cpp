#include "platform/namespace/FolderEnumerator.h"

#include "platform/namespace/MountTable.h"
#include "platform/namespace/ShellAttributes.h"
#include "platform/files/FolderPath.h"
#include "platform/files/NativePath.h"
#include "platform/files/UserFolders.h"
#include "platform/namespace/ItemNames.h"
#include "platform/namespace/NamespaceRole.h"
#include "platform/namespace/PathParsing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <vector>

namespace orbisk {

namespace {

// One directory held open. Types come from the directory entry where the file
// system gives them; a stat is needed only for links (to learn whether they
// lead to a folder) and for file systems that leave the type unknown.
class DirectoryReader {
public:
    explicit DirectoryReader(const std::string& path) : dir_(::opendir(path.c_str())) {}
    ~DirectoryReader()
    {
        if (dir_)
            ::closedir(dir_);
    }
    DirectoryReader(const DirectoryReader&) = delete;
    DirectoryReader& operator=(const DirectoryReader&) = delete;

    bool IsOpen() const { return dir_ != nullptr; }

    struct Entry {
        std::string_view name;
        uint8_t hints;
    };
    // The next entry other than "." and ".."; none at the end or on a read error.
    std::optional<Entry> Next()
    {
        while (dirent* e = ::readdir(dir_)) {
            const char* name = e->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            const std::optional<uint8_t> hints = HintsOf(name, e->d_type);
            if (hints)
                return Entry{name, *hints};
        }
        return std::nullopt;
    }

private:
    std::optional<uint8_t> HintsOf(const char* name, unsigned char type)
    {
        uint8_t hints = HintTypeKnown | HintLinkKnown;
        if (type == DT_DIR)
            return hints | HintFolder;
        if (type != DT_LNK && type != DT_UNKNOWN)
            return hints;
        struct stat st {};
        if (type == DT_UNKNOWN) {
            if (::fstatat(::dirfd(dir_), name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                return std::nullopt; // gone since it was listed
            if (S_ISDIR(st.st_mode))
                return hints | HintFolder;
            if (!S_ISLNK(st.st_mode))
                return hints;
        }
        hints |= HintLink;
        // A dangling link is a file.
        if (::fstatat(::dirfd(dir_), name, &st, 0) == 0 && S_ISDIR(st.st_mode))
            hints |= HintFolder;
        return hints;
    }

    DIR* dir_;
};

bool Wanted(uint32_t flags, bool folder, bool hidden)
{
    if (hidden && !(flags & EnumIncludeHidden))
        return false;
    return (flags & (folder ? EnumFolders : EnumNonFolders)) != 0;
}

class DirectoryEnumerator : public FolderEnumerator {
public:
    DirectoryEnumerator(const ItemIdList& folder, const std::string& path, uint32_t flags, IdKind kind)
        : folder_(folder), reader_(path), flags_(flags), kind_(kind)
    {
    }
    bool IsOpen() const { return reader_.IsOpen(); }

    std::optional<ItemIdList> Next() override
    {
        while (const auto e = reader_.Next()) {
            if (!Wanted(flags_, e->hints & HintFolder, e->name[0] == '.'))
                continue;
            // Entries of a folder at the depth limit cannot be named: none is listed.
            const auto child = folder_.Append(kind_, e->name, e->hints);
            if (!child)
                return std::nullopt;
            return child->Last();
        }
        return std::nullopt;
    }

private:
    ItemIdList folder_;
    DirectoryReader reader_;
    uint32_t flags_;
    IdKind kind_;
};

// A fixed set of items handed out one by one, then (for the desktop) the
// entries of a directory.
class ListEnumerator : public FolderEnumerator {
public:
    ListEnumerator(std::vector<ItemIdList> items, std::unique_ptr<FolderEnumerator> then)
        : items_(std::move(items)), then_(std::move(then))
    {
    }
    std::optional<ItemIdList> Next() override
    {
        if (next_ < items_.size())
            return items_[next_++];
        return then_ ? then_->Next() : std::nullopt;
    }

private:
    std::vector<ItemIdList> items_;
    std::size_t next_ = 0;
    std::unique_ptr<FolderEnumerator> then_;
};

} // namespace

std::unique_ptr<FolderEnumerator> EnumerateDirectory(const ItemIdList& folder, const std::string& path,
                                                     uint32_t flags, IdKind kind)
{
    auto e = std::make_unique<DirectoryEnumerator>(folder, path, flags, kind);
    if (!e->IsOpen())
        return nullptr;
    return e;
}

std::unique_ptr<FolderEnumerator> EnumerateDesktop(uint32_t flags)
{
    std::vector<ItemIdList> fixed;
    const uint8_t folder = HintFolder | HintTypeKnown | HintLinkKnown;
    if (flags & EnumFolders) {
        fixed.push_back(ComputerIdList());
        fixed.push_back(ItemIdList::Element(IdKind::Home, {}, folder));
    }
    const std::string desktop = DesktopFolderPath();
    std::unique_ptr<FolderEnumerator> entries;
    // When the desktop folder is the home folder itself, its entries are
    // reached through the home item and are not listed twice.
    if (!desktop.empty() && desktop != HomeFolderPath() && IsDirectory(desktop))
        entries = EnumerateDirectory(ItemIdList(), desktop, flags, IdKind::DesktopEntry);
    return std::make_unique<ListEnumerator>(std::move(fixed), std::move(entries));
}

std::unique_ptr<FolderEnumerator> EnumerateComputer(const ItemIdList& computer, uint32_t flags)
{
    std::vector<ItemIdList> drives;
    if (flags & EnumFolders) {
        for (const Drive& d : *CurrentDrives()) {
            const uint8_t hints = HintFolder | HintTypeKnown | HintLinkKnown;
            if (const auto drive = computer.Append(IdKind::Drive, d.mountPoint, hints))
                drives.push_back(drive->Last());
        }
    }
    return std::make_unique<ListEnumerator>(std::move(drives), nullptr);
}

bool HasSubFolderEntry(const std::string& path)
{
    DirectoryReader reader(path);
    if (!reader.IsOpen())
        return false;
    for (int n = 0; n < SubFolderProbeLimit; ++n) {
        const auto e = reader.Next();
        if (!e)
            return false;
        if (e->hints & HintFolder)
            return true;
    }
    return true;
}

} // namespace orbisk
