#include "platform/namespace/DirectoryFindData.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace orbisk {

namespace {

// Who the program runs as: the user and every group it belongs to.
struct User {
    uid_t uid;
    std::vector<gid_t> groups;
};

const User& CurrentUser()
{
    static const User user = [] {
        User u{::geteuid(), {::getegid()}};
        const int n = ::getgroups(0, nullptr);
        if (n > 0) {
            std::vector<gid_t> more(static_cast<std::size_t>(n));
            if (::getgroups(n, more.data()) == n)
                u.groups.insert(u.groups.end(), more.begin(), more.end());
        }
        return u;
    }();
    return user;
}

bool OnReadOnlyMount(int directoryFd, const char* path)
{
    struct statvfs vfs {};
    const int fd = directoryFd == AT_FDCWD ? -1 : directoryFd;
    const int r = fd >= 0 ? ::fstatvfs(fd, &vfs) : ::statvfs(path, &vfs);
    return r == 0 && (vfs.f_flag & ST_RDONLY);
}

// Whether the user may write the entry by its permission bits (the
// superuser may write anything), its immutable flag and its file system.
// Worked out from the statx already made, so a large folder does not cost a
// second system call per file.
bool Writable(const struct statx& stx, bool readOnlyMount)
{
    if (readOnlyMount || ((stx.stx_attributes_mask & STATX_ATTR_IMMUTABLE) && (stx.stx_attributes & STATX_ATTR_IMMUTABLE)))
        return false;
    const User& user = CurrentUser();
    if (user.uid == 0)
        return true;
    if (stx.stx_uid == user.uid)
        return (stx.stx_mode & S_IWUSR) != 0;
    if (std::find(user.groups.begin(), user.groups.end(), stx.stx_gid) != user.groups.end())
        return (stx.stx_mode & S_IWGRP) != 0;
    return (stx.stx_mode & S_IWOTH) != 0;
}

std::optional<FindData> Describe(int directoryFd, const char* path, bool readOnlyMount)
{
    // It never waits for a network file system to sync.
    constexpr unsigned wanted = STATX_TYPE | STATX_MODE | STATX_UID | STATX_GID | STATX_SIZE | STATX_MTIME;
    struct statx stx {};
    // A dangling link is described by the link itself.
    if (::statx(directoryFd, path, AT_STATX_DONT_SYNC, wanted, &stx) != 0 &&
        ::statx(directoryFd, path, AT_STATX_DONT_SYNC | AT_SYMLINK_NOFOLLOW, wanted, &stx) != 0)
        return std::nullopt;
    FindData data;
    data.directory = S_ISDIR(stx.stx_mode);
    data.size = int64_t(stx.stx_size);
    data.modified = int64_t(stx.stx_mtime.tv_sec);
    data.readOnly = !Writable(stx, readOnlyMount);
    data.compressed = (stx.stx_attributes_mask & STATX_ATTR_COMPRESSED) && (stx.stx_attributes & STATX_ATTR_COMPRESSED);
    return data;
}

} // namespace

std::optional<FindData> FindDataAt(int directoryFd, const char* path)
{
    return Describe(directoryFd, path, OnReadOnlyMount(directoryFd, path));
}

DirectoryFindData::DirectoryFindData(const std::string& path)
    : path_(path), fd_(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)),
      readOnlyMount_(fd_ >= 0 && OnReadOnlyMount(fd_, path.c_str()))
{
}

DirectoryFindData::~DirectoryFindData()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::optional<FindData> DirectoryFindData::Of(std::string_view name) const
{
    // A name with a NUL or a "/" would name another entry.
    if (fd_ < 0 || name.empty() || name.find('\0') != std::string_view::npos ||
        name.find('/') != std::string_view::npos)
        return std::nullopt;
    return Describe(fd_, std::string(name).c_str(), readOnlyMount_);
}

} // namespace orbisk
