#include "export/DragFiles.h"

#include "export/GroupIconFile.h"
#include "export/NumberedFileWriter.h"
#include "export/SaveIconName.h"
#include "platform/extract/IconGroup.h"
#include "platform/files/NativePath.h"
#include "platform/files/UserFolders.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace orbisk {

namespace {

constexpr std::size_t kTemplateChars = 6; // mkdtemp's XXXXXX

std::string Folded(std::string name)
{
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return name;
}

// The names in the folder open as folderFd, without "." and "..".
std::vector<std::string> Entries(int folderFd)
{
    std::vector<std::string> names;
    const int own = ::fcntl(folderFd, F_DUPFD_CLOEXEC, 0);
    if (own < 0)
        return names;
    DIR* dir = ::fdopendir(own);
    if (!dir) {
        ::close(own);
        return names;
    }
    ::rewinddir(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

// Removes what the folder open as folderFd holds: files, and folders down
// to `depth` levels with what they hold. Links are removed, never followed.
void RemoveContents(int folderFd, int depth)
{
    for (const std::string& name : Entries(folderFd)) {
        struct stat st {};
        if (::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (!S_ISDIR(st.st_mode)) {
            ::unlinkat(folderFd, name.c_str(), 0);
            continue;
        }
        if (depth <= 0)
            continue;
        const int sub = ::openat(folderFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub < 0)
            continue;
        RemoveContents(sub, depth - 1);
        ::close(sub);
        ::unlinkat(folderFd, name.c_str(), AT_REMOVEDIR);
    }
}

// A run's folder holds one folder per drag, which holds files.
constexpr int kFolderDepth = 1;

bool IsDragFolderName(const std::string& name)
{
    const std::string_view prefix = DragFolder::NamePrefix;
    return name.size() == prefix.size() + kTemplateChars && name.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

std::vector<std::string> DragFileNames(const std::vector<DragIcon>& icons)
{
    std::vector<std::string> names;
    names.reserve(icons.size());
    std::unordered_set<std::string> taken;
    std::vector<std::size_t> clashing;
    // Every icon whose proposed name comes first keeps it; the others then
    // take the first free suffix.
    for (std::size_t i = 0; i < icons.size(); ++i) {
        names.push_back(ProposedIconFileName(icons[i].path, icons[i].number));
        if (!taken.insert(Folded(names.back())).second)
            clashing.push_back(i);
    }
    for (std::size_t i : clashing) {
        const std::string base = names[i];
        for (unsigned suffix = 2;; ++suffix) {
            std::string name = base + "-" + std::to_string(suffix);
            if (taken.insert(Folded(name)).second) {
                names[i] = std::move(name);
                break;
            }
        }
    }
    for (std::string& name : names)
        name += ".ico";
    return names;
}

std::vector<std::string> WriteDragFiles(const std::vector<DragIcon>& icons, const std::string& folder,
                                        const std::atomic<bool>& cancel)
{
    const std::vector<std::string> names = DragFileNames(icons);
    NumberedFileWriter writer(folder);
    std::vector<std::string> written;
    for (std::size_t i = 0; i < icons.size() && !cancel.load(std::memory_order_relaxed); ++i) {
        const DragIcon& icon = icons[i];
        auto group = ReadIconGroup(icon.path, icon.number);
        if (!group)
            continue;
        if (group->kind == GroupKind::Bitmap && !icon.shown)
            continue;
        try {
            writer.Write(names[i], [&](OutputStream& stream) {
                WriteGroupIconStream(stream, std::move(*group), icon.shown.get());
            });
        } catch (const std::exception&) {
            continue; // the drag carries the others
        }
        written.push_back(writer.PathOf(names[i]));
    }
    return written;
}

DragFolder::DragFolder(std::string parent)
    : parent_(std::move(parent))
{
}

DragFolder::~DragFolder()
{
    if (fd_ < 0)
        return;
    RemoveContents(fd_, kFolderDepth);
    ::rmdir(path_.c_str());
    ::close(fd_);
}

std::string DragFolder::Path() const
{
    const std::lock_guard lock(mutex_);
    return path_;
}

// Another run's clean-up may take a folder between mkdtemp and the lock: the
// lock is then refused, or the folder held is no longer the one named, and
// a new one is made.
bool DragFolder::MakeOwnFolder()
{
    std::error_code ignored;
    std::filesystem::create_directories(parent_, ignored);
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::string path = JoinPath(parent_, std::string(NamePrefix) + std::string(kTemplateChars, 'X'));
        if (!::mkdtemp(path.data()))
            return false;
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held {}, named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && held.st_nlink > 0
            && ::lstat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
            path_ = std::move(path);
            fd_ = fd;
            return true;
        }
        ::close(fd);
    }
    return false;
}

std::optional<std::string> DragFolder::NewDrag()
{
    const std::lock_guard lock(mutex_);
    if (fd_ < 0 && !MakeOwnFolder())
        return std::nullopt;
    for (;;) {
        const std::string name = std::to_string(++drags_);
        if (::mkdirat(fd_, name.c_str(), 0700) == 0)
            return JoinPath(path_, name);
        if (errno != EEXIST)
            return std::nullopt;
    }
}

std::string DragFolderParent()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
        struct stat st {};
        if (::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
            return runtime;
    }
    return JoinPath(CacheFolderPath(), "orbisk");
}

int RemoveStaleDragFolders(const std::string& parent)
{
    const int parentFd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0)
        return 0;
    int removed = 0;
    for (const std::string& name : Entries(parentFd)) {
        if (!IsDragFolderName(name))
            continue;
        // O_NOFOLLOW: a link under such a name is never followed.
        const int fd = ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        // A running program holds its folder locked.
        if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            RemoveContents(fd, kFolderDepth);
            if (::unlinkat(parentFd, name.c_str(), AT_REMOVEDIR) == 0)
                ++removed;
        }
        ::close(fd);
    }
    ::close(parentFd);
    return removed;
}

} // namespace orbisk
