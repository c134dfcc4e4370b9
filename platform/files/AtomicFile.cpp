#include "platform/files/AtomicFile.h"

#include "platform/files/NativePath.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace orbisk {

namespace {

// Longest part of the target's name kept in the temporary name, so that a
// long name still leaves room for the suffix within NAME_MAX.
constexpr std::size_t maxNameInTemp = 200;
constexpr int createAttempts = 64;
// As many links as the kernel follows in one path.
constexpr int maxLinkHops = 40;

std::error_code Error(int code) { return { code, std::system_category() }; }

// The file that a write to path really changes: links are followed to their
// end, which may be a name that does not exist yet. nullopt for a loop of
// links or a link that cannot be read.
struct FollowedPath {
    std::string path;
    bool viaLink = false;
};

std::optional<FollowedPath> FollowLinks(std::string path)
{
    bool viaLink = false;
    for (int hop = 0; hop < maxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return FollowedPath { path, viaLink };
        std::string target(MaxPathBytes, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || std::size_t(n) >= target.size())
            return std::nullopt;
        target.resize(std::size_t(n));
        // A relative link is relative to the folder that holds it.
        path = target[0] == '/' ? target : JoinPath(SplitFilePath(path).folder, target);
        viaLink = true;
    }
    return std::nullopt;
}

std::string FolderOf(const std::string& path)
{
    std::string folder = SplitFilePath(path).folder;
    return folder.empty() ? std::string(".") : folder;
}

// A hidden name beside path that no other writer picks at the same time.
std::string TempName(const std::string& path)
{
    static std::atomic<uint64_t> counter { 0 };
    const SplitPath split = SplitFilePath(path);
    const std::string name = split.name.substr(0, maxNameInTemp);
    const uint64_t mix = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count())
        ^ (uint64_t(::getpid()) << 40) ^ (counter.fetch_add(1) * 0x9e3779b97f4a7c15ull);
    char suffix[20];
    std::snprintf(suffix, sizeof suffix, "%012llx", static_cast<unsigned long long>(mix & 0xffffffffffffull));
    return JoinPath(split.folder, "." + name + "." + suffix + ".tmp");
}

// Sync before the rename or after the write: after a crash the name holds
// the whole file. (EINVAL: a file system with nothing to sync.)
int SyncError(int fd) { return ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno; }

} // namespace

AtomicFile::~AtomicFile() { Discard(); }

std::error_code AtomicFile::Open(const std::string& path, DanglingLink dangling)
{
    Discard();
    folderFd_ = AT_FDCWD;
    plainOnly_ = false;
    if (path.empty() || path.back() == '/')
        return Error(EISDIR);
    const auto target = FollowLinks(path);
    if (!target)
        return Error(ELOOP);
    target_ = target->path;
    struct stat st {};
    targetExists_ = ::stat(target_.c_str(), &st) == 0;
    if (!targetExists_) {
        if (errno != ENOENT)
            return Error(errno);
        // A link to nothing is no file the user picked to replace.
        if (target->viaLink && dangling == DanglingLink::Refuse)
            return Error(ENOENT);
        return OpenTemporary(nullptr);
    }
    return OpenExisting(st);
}

std::error_code AtomicFile::OpenIn(int folderFd, const std::string& name)
{
    Discard();
    folderFd_ = folderFd;
    plainOnly_ = true;
    target_ = name;
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return Error(EINVAL);
    struct stat st {};
    targetExists_ = ::fstatat(folderFd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (!targetExists_)
        return errno == ENOENT ? OpenTemporary(nullptr) : Error(errno);
    if (S_ISLNK(st.st_mode))
        return Error(ELOOP);
    return OpenExisting(st);
}

std::error_code AtomicFile::OpenExisting(const struct stat& st)
{
    if (!S_ISREG(st.st_mode))
        return Error(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    // Marked read-only for everyone, or not the user's to write (whatever
    // its folder allows). Asked without opening the file: a watcher would
    // take the close of a file opened for writing for a change.
    if ((st.st_mode & 0222) == 0)
        return Error(EACCES);
    if (::faccessat(folderFd_, target_.c_str(), W_OK, AT_EACCESS | (plainOnly_ ? AT_SYMLINK_NOFOLLOW : 0)) != 0)
        return Error(errno);
    // A plain file of a batch is never written through another of its
    // names: the new file takes this name alone.
    if ((st.st_nlink == 1 || plainOnly_) && !OpenTemporary(&st))
        return {};
    if (plainOnly_ && st.st_nlink != 1)
        return Error(EMLINK);

    const int fd = ::openat(folderFd_, target_.c_str(),
        O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (plainOnly_ ? O_NOFOLLOW : 0));
    if (fd < 0)
        return Error(errno);
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)
        || (plainOnly_ && (opened.st_dev != st.st_dev || opened.st_ino != st.st_ino || opened.st_nlink != 1))) {
        ::close(fd);
        return Error(EINVAL);
    }
    inPlace_ = true;
    fd_ = fd;
    return {};
}

// The temporary file beside the target. A file that replaces another gets its
// owner, group and permission bits, or is not made at all.
std::error_code AtomicFile::OpenTemporary(const struct stat* replaced)
{
    for (int attempt = 0; attempt < createAttempts && fd_ < 0; ++attempt) {
        temp_ = TempName(target_);
        // A new file gets the usual 0666 less the umask, like any file the
        // program creates.
        fd_ = ::openat(folderFd_, temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
            replaced ? 0600 : 0666);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        const int code = errno;
        temp_.clear();
        return Error(code);
    }
    if (!replaced)
        return {};
    struct stat made {};
    // The owner first: a change of owner clears the set-ID bits. A file of a
    // batch never takes them over from what stood under its name.
    const bool sameOwner = ::fstat(fd_, &made) == 0 && made.st_uid == replaced->st_uid
        && made.st_gid == replaced->st_gid;
    if ((sameOwner || ::fchown(fd_, replaced->st_uid, replaced->st_gid) == 0)
        && ::fchmod(fd_, replaced->st_mode & (plainOnly_ ? 0777 : 07777)) == 0)
        return {};
    Discard();
    return Error(EPERM);
}

std::size_t AtomicFile::Write(const void* data, std::size_t size)
{
    if (fd_ < 0)
        return 0;
    const auto* p = static_cast<const char*>(data);
    if (inPlace_) {
        pending_.append(p, size);
        return size;
    }
    std::size_t stored = 0;
    while (stored < size) {
        const ssize_t n = ::write(fd_, p + stored, size - stored);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        stored += std::size_t(n);
    }
    return stored;
}

std::error_code AtomicFile::Flush()
{
    if (inPlace_)
        return fd_ >= 0 ? std::error_code() : Error(EBADF);
    if (fd_ < 0)
        return temp_.empty() ? Error(EBADF) : std::error_code();
    // Sync before the rename: after a crash the name holds either the old
    // file or the whole new one.
    int code = deferSync_ ? 0 : SyncError(fd_);
    // A failing close can be a late write error on some file systems.
    if (::close(fd_) != 0 && code == 0)
        code = errno;
    fd_ = -1;
    if (code != 0) {
        Discard();
        return Error(code);
    }
    return {};
}

std::error_code AtomicFile::Commit()
{
    if (inPlace_)
        return CommitInPlace();
    if (std::error_code error = Flush())
        return error;
    if (::renameat(folderFd_, temp_.c_str(), folderFd_, target_.c_str()) != 0) {
        const int code = errno;
        Discard();
        return Error(code);
    }
    temp_.clear();
    if (!deferSync_)
        SyncFolder();
    return {};
}

// Makes the rename itself durable; a folder that refuses fsync is no error.
void AtomicFile::SyncFolder() const
{
    if (plainOnly_) {
        ::fsync(folderFd_);
        return;
    }
    const int fd = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Every new byte is in memory before the first old one is overwritten, and
// the file is cut to its new length only after they are all written.
std::error_code AtomicFile::CommitInPlace()
{
    if (fd_ < 0)
        return Error(EBADF);
    int code = 0;
    for (std::size_t done = 0; done < pending_.size();) {
        const ssize_t n = ::pwrite(fd_, pending_.data() + done, pending_.size() - done, off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            code = n < 0 ? errno : EIO;
            break;
        }
        done += std::size_t(n);
    }
    if (code == 0 && ::ftruncate(fd_, off_t(pending_.size())) != 0)
        code = errno;
    if (code == 0 && !deferSync_)
        code = SyncError(fd_);
    if (::close(fd_) != 0 && code == 0)
        code = errno;
    fd_ = -1;
    Discard();
    return code ? Error(code) : std::error_code();
}

void AtomicFile::Discard() noexcept
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temp_.empty())
        ::unlinkat(folderFd_, temp_.c_str(), 0);
    temp_.clear();
    pending_.clear();
    inPlace_ = false;
}

std::error_code SyncFileSystem(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Error(errno);
    const int code = ::syncfs(fd) == 0 ? 0 : errno;
    ::close(fd);
    return code ? Error(code) : std::error_code();
}

OutputFolder::~OutputFolder()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::error_code OutputFolder::Open(const std::string& path)
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return fd_ >= 0 ? std::error_code() : Error(errno);
}

std::error_code OutputFolder::Sync() const
{
    if (fd_ < 0)
        return Error(EBADF);
    return ::syncfs(fd_) == 0 ? std::error_code() : Error(errno);
}

std::error_code ReplaceFileContents(const std::string& path, std::string_view bytes)
{
    AtomicFile file;
    if (std::error_code error = file.Open(path, AtomicFile::DanglingLink::Create))
        return error;
    if (file.Write(bytes.data(), bytes.size()) != bytes.size())
        return Error(errno ? errno : EIO);
    return file.Commit();
}

} // namespace orbisk
