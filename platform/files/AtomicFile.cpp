#include "platform/files/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbisk {

namespace {

// Longest part of the target's name kept in the temporary name, so that a
// long name still leaves room for the suffix within NAME_MAX.
constexpr std::size_t maxNameInTemp = 200;
constexpr int createAttempts = 64;

std::error_code Error(int code) { return { code, std::system_category() }; }

// The file that a write to path really changes: the target of a link.
std::string ResolveLink(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    std::string resolved = path;
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        resolved = real;
        std::free(real);
    }
    return resolved;
}

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A hidden name beside path that no other writer picks at the same time.
std::string TempName(const std::string& path)
{
    static std::atomic<uint64_t> counter { 0 };
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, maxNameInTemp);
    const uint64_t mix = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count())
        ^ (uint64_t(::getpid()) << 40) ^ (counter.fetch_add(1) * 0x9e3779b97f4a7c15ull);
    char suffix[20];
    std::snprintf(suffix, sizeof suffix, "%012llx", static_cast<unsigned long long>(mix & 0xffffffffffffull));
    return folder + "." + name + "." + suffix + ".tmp";
}

// Makes the rename itself durable; a folder that refuses fsync is no error.
void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

AtomicFile::~AtomicFile() { Discard(); }

std::error_code AtomicFile::Open(const std::string& path)
{
    Discard();
    if (path.empty() || path.back() == '/')
        return Error(EISDIR);
    target_ = ResolveLink(path);
    struct stat st {};
    targetExists_ = ::stat(target_.c_str(), &st) == 0;
    if (!targetExists_ && errno != ENOENT)
        return Error(errno);
    if (targetExists_ && !S_ISREG(st.st_mode))
        return Error(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);

    for (int attempt = 0; attempt < createAttempts && fd_ < 0; ++attempt) {
        temp_ = TempName(target_);
        // A new file gets the usual 0666 less the umask, like any file the
        // program creates; a replaced one keeps its permissions.
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, targetExists_ ? 0600 : 0666);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        const int code = errno;
        temp_.clear();
        return Error(code);
    }
    if (targetExists_)
        (void)::fchmod(fd_, st.st_mode & 07777);
    return {};
}

std::size_t AtomicFile::Write(const void* data, std::size_t size)
{
    if (fd_ < 0)
        return 0;
    const auto* p = static_cast<const char*>(data);
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
    if (fd_ < 0)
        return temp_.empty() ? Error(EBADF) : std::error_code();
    // Sync before the rename: after a crash the name holds either the old
    // file or the whole new one. (EINVAL: a file system with nothing to sync.)
    const bool synced = ::fsync(fd_) == 0 || errno == EINVAL;
    int code = synced ? 0 : errno;
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
    if (std::error_code error = Flush())
        return error;
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int code = errno;
        Discard();
        return Error(code);
    }
    temp_.clear();
    SyncFolder(FolderOf(target_));
    return {};
}

void AtomicFile::Discard() noexcept
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    temp_.clear();
}

std::error_code ReplaceFileContents(const std::string& path, std::string_view bytes)
{
    AtomicFile file;
    if (std::error_code error = file.Open(path))
        return error;
    if (file.Write(bytes.data(), bytes.size()) != bytes.size())
        return Error(errno ? errno : EIO);
    return file.Commit();
}

} // namespace orbisk
