#include "export/AtomicFileStream.h"

#include <atomic>
#include <cerrno>
#include <chrono>
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

struct Target {
    std::string path;
    bool exists = false;
    mode_t mode = 0;
};

// The file that will be replaced; false when the name cannot be written at
// all, so that nothing is created for it.
bool ResolveTarget(const std::string& fileName, Target& target)
{
    if (fileName.empty() || fileName.back() == '/')
        return false;
    target.path = fileName;
    struct stat st {};
    if (lstat(fileName.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = realpath(fileName.c_str(), nullptr)) {
            target.path = real;
            std::free(real);
        }
    }
    if (stat(target.path.c_str(), &st) != 0)
        return errno == ENOENT;
    // Special files are never written: renaming over a device or a FIFO
    // would destroy it.
    if (!S_ISREG(st.st_mode) || access(target.path.c_str(), W_OK) != 0)
        return false;
    target.exists = true;
    target.mode = st.st_mode & 07777;
    return true;
}

std::string TempName(const std::string& path)
{
    static std::atomic<uint64_t> counter { 0 };
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, maxNameInTemp);
    uint64_t mix = uint64_t(std::chrono::steady_clock::now().time_since_epoch().count())
        ^ (uint64_t(getpid()) << 40) ^ (counter.fetch_add(1) * 0x9e3779b97f4a7c15ull);
    char suffix[20];
    std::snprintf(suffix, sizeof suffix, "%012llx", static_cast<unsigned long long>(mix & 0xffffffffffffull));
    return folder + "." + name + "." + suffix + ".tmp";
}

} // namespace

AtomicFileStream::AtomicFileStream(const std::string& fileName)
    : fileName_(fileName)
{
    Target target;
    if (!ResolveTarget(fileName, target))
        throw EFCreateError(fileName);
    target_ = target.path;
    for (int attempt = 0; attempt < createAttempts && fd_ < 0; ++attempt) {
        temp_ = TempName(target_);
        // A new file gets the usual 0666 less the umask, like any file the
        // program creates; a replaced one keeps its permissions.
        fd_ = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, target.exists ? 0600 : 0666);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        temp_.clear();
        throw EFCreateError(fileName);
    }
    if (target.exists)
        (void)fchmod(fd_, target.mode);
}

AtomicFileStream::~AtomicFileStream() { Discard(); }

void AtomicFileStream::Discard() noexcept
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    if (!temp_.empty())
        unlink(temp_.c_str());
    temp_.clear();
}

std::size_t AtomicFileStream::Write(const void* data, std::size_t size)
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

void AtomicFileStream::Commit()
{
    if (fd_ < 0)
        throw EWriteError();
    // Sync before the rename: after a crash the name holds either the old
    // file or the whole new one.
    // (EINVAL: a file system that has nothing to sync.)
    const bool synced = fsync(fd_) == 0 || errno == EINVAL;
    const bool closed = close(fd_) == 0;
    fd_ = -1;
    if (!synced || !closed) {
        Discard();
        throw EWriteError();
    }
    if (rename(temp_.c_str(), target_.c_str()) != 0) {
        Discard();
        throw EFCreateError(fileName_);
    }
    temp_.clear();
}

} // namespace orbisk
