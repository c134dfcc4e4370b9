#include "platform/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbisk {

namespace {

std::error_code LastError() { return { errno, std::system_category() }; }

class UniqueFd {
public:
    explicit UniqueFd(int fd)
        : fd_(fd)
    {
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int Get() const { return fd_; }
    // Closes now, so that a failing close (a late write error on some file
    // systems) is seen.
    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Removes the temporary file unless the rename has consumed it.
class TempFileGuard {
public:
    explicit TempFileGuard(std::string path)
        : path_(std::move(path))
    {
    }
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    ~TempFileGuard()
    {
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    void Dismiss() { path_.clear(); }

private:
    std::string path_;
};

// The file that a write to path really changes: the target of a link.
std::string ResolveTarget(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr)
        return path;
    return resolved;
}

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(std::size_t(n));
    }
    return true;
}

// Creates a fresh temporary file beside target; its name goes to tempPath.
int CreateTempBeside(const std::string& target, std::string& tempPath)
{
    static std::atomic<unsigned> counter { 0 };
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
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

std::error_code ReplaceFileContents(const std::string& path, std::string_view bytes)
{
    const std::string target = ResolveTarget(path);
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;

    std::string tempPath;
    UniqueFd fd(CreateTempBeside(target, tempPath));
    if (fd.Get() < 0)
        return LastError();
    TempFileGuard guard(tempPath);

    if (!WriteAll(fd.Get(), bytes))
        return LastError();
    if (existed && S_ISREG(old.st_mode))
        ::fchmod(fd.Get(), old.st_mode & 07777);
    if (::fsync(fd.Get()) != 0)
        return LastError();
    if (!fd.Close())
        return LastError();
    if (::rename(tempPath.c_str(), target.c_str()) != 0)
        return LastError();
    guard.Dismiss();
    SyncFolder(FolderOf(target));
    return {};
}

} // namespace orbisk
