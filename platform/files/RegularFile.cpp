#include "platform/files/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbisk {

namespace {

FileIdentity IdentityOf(const struct stat& st)
{
    FileIdentity id;
    id.device = uint64_t(st.st_dev);
    id.inode = uint64_t(st.st_ino);
    id.size = uint64_t(st.st_size);
    id.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.ctimeNs = int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return id;
}

Error ErrnoError()
{
    // strerror's texts are static for the errors open and stat report.
    switch (errno) {
    case ENOENT:
        return Error { "No such file or directory" };
    case EACCES:
    case EPERM:
        return Error { "Permission denied" };
    case ENOTDIR:
        return Error { "Not a directory" };
    case ELOOP:
        return Error { "Too many levels of symbolic links" };
    case ENAMETOOLONG:
        return Error { "File name too long" };
    default:
        return Error { "Cannot open file" };
    }
}

} // namespace

Result<RegularFile> RegularFile::Open(const std::string& path)
{
    ORBISK_TRY_VOID(Identify(path));
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return ErrnoError();
    RegularFile file(fd, {});
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return Error { "Not a regular file" };
    file.identity_ = IdentityOf(st);
    return file;
}

Result<FileIdentity> RegularFile::Identify(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return ErrnoError();
    if (S_ISDIR(st.st_mode))
        return Error { "Is a directory" };
    if (!S_ISREG(st.st_mode))
        return Error { "Not a regular file" };
    return IdentityOf(st);
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : fd_(other.fd_)
    , identity_(other.identity_)
{
    other.fd_ = -1;
}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.fd_;
        identity_ = other.identity_;
        other.fd_ = -1;
    }
    return *this;
}

RegularFile::~RegularFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace orbisk
