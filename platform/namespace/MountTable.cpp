#include "platform/namespace/MountTable.h"

#include "platform/files/FolderPath.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>

namespace orbisk {

namespace {

// A table larger than this is not a mount table we can use; reading stops.
constexpr std::size_t MaxMountInfoBytes = 16u << 20;

// Decodes the octal escapes that mountinfo uses for space, tab, newline and
// backslash in paths.
std::string DecodeOctal(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1], b = field[i + 2], c = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out += char((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::vector<std::string_view> SplitSpaces(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ')
            ++i;
        if (i > start)
            fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

bool ParseDevice(std::string_view field, unsigned& major, unsigned& minor)
{
    const std::size_t colon = field.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string a(field.substr(0, colon)), b(field.substr(colon + 1));
    char* end = nullptr;
    major = unsigned(std::strtoul(a.c_str(), &end, 10));
    if (a.empty() || *end)
        return false;
    minor = unsigned(std::strtoul(b.c_str(), &end, 10));
    return !b.empty() && !*end;
}

// mountinfo: id parent major:minor root mountpoint options [optional...] - fstype source superoptions
bool ParseLine(std::string_view line, MountEntry& entry)
{
    const std::vector<std::string_view> f = SplitSpaces(line);
    if (f.size() < 7 || !ParseDevice(f[2], entry.major, entry.minor))
        return false;
    const auto dash = std::find(f.begin() + 6, f.end(), std::string_view("-"));
    if (dash == f.end() || f.end() - dash < 3)
        return false;
    entry.root = DecodeOctal(f[3]);
    entry.mountPoint = DecodeOctal(f[4]);
    entry.fsType = DecodeOctal(dash[1]);
    entry.source = DecodeOctal(dash[2]);
    return !entry.mountPoint.empty() && entry.mountPoint[0] == '/';
}

bool IsCdRomFileSystem(std::string_view fsType)
{
    return fsType == "iso9660" || fsType == "udf";
}

bool IsBlockDeviceMount(const MountEntry& m)
{
    if (m.source.rfind("/dev/", 0) != 0)
        return false;
    // Snap packages are loop-mounted squashfs images, not volumes.
    return !(m.fsType == "squashfs" && m.source.rfind("/dev/loop", 0) == 0);
}

bool ReadFlagFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char c = 0;
    const bool one = ::read(fd, &c, 1) == 1 && c == '1';
    ::close(fd);
    return one;
}

bool SysfsRemovable(unsigned major, unsigned minor)
{
    const std::string dev = "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
    // A partition's removable flag is its disk's, one level up.
    struct stat st {};
    if (::stat((dev + "/partition").c_str(), &st) == 0)
        return ReadFlagFile(dev + "/../removable");
    return ReadFlagFile(dev + "/removable");
}

// udev names labels with \xNN escapes for unsafe characters.
QString DecodeUdevLabel(std::string_view name)
{
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const std::string hex(name.substr(i + 2, 2));
            char* end = nullptr;
            const long v = std::strtol(hex.c_str(), &end, 16);
            if (!*end) {
                out += char(v);
                i += 3;
                continue;
            }
        }
        out += name[i];
    }
    return QString::fromUtf8(out.data(), qsizetype(out.size()));
}

QString ByLabel(const std::string& source)
{
    char resolved[PATH_MAX];
    if (!::realpath(source.c_str(), resolved))
        return {};
    DIR* dir = ::opendir("/dev/disk/by-label");
    if (!dir)
        return {};
    QString label;
    while (dirent* e = ::readdir(dir)) {
        if (e->d_name[0] == '.')
            continue;
        const std::string link = std::string("/dev/disk/by-label/") + e->d_name;
        char target[PATH_MAX];
        if (::realpath(link.c_str(), target) && std::string_view(target) == resolved) {
            label = DecodeUdevLabel(e->d_name);
            break;
        }
    }
    ::closedir(dir);
    return label;
}

QString DriveDisplayName(const MountEntry& m, const DriveProbes& probes)
{
    if (m.mountPoint == "/")
        return QStringLiteral("File System");
    if (probes.label && IsBlockDeviceMount(m)) {
        const QString label = probes.label(m.source);
        if (!label.isEmpty())
            return label;
    }
    const std::size_t slash = m.mountPoint.rfind('/');
    const std::string base = m.mountPoint.substr(slash + 1);
    return QString::fromUtf8(base.data(), qsizetype(base.size()));
}

DriveType TypeOf(const MountEntry& m, const DriveProbes& probes)
{
    if (IsRemoteFileSystem(m.fsType))
        return DriveRemote;
    if (IsCdRomFileSystem(m.fsType))
        return DriveCdRom;
    if (IsBlockDeviceMount(m) && probes.isRemovable && probes.isRemovable(m.major, m.minor))
        return DriveRemovable;
    return DriveFixed;
}

std::string ReadAll(int fd)
{
    std::string text;
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return text;
    std::array<char, 16384> buf;
    for (;;) {
        const ssize_t n = ::read(fd, buf.data(), buf.size());
        if (n <= 0 || text.size() + std::size_t(n) > MaxMountInfoBytes)
            break;
        text.append(buf.data(), std::size_t(n));
    }
    return text;
}

const DriveProbes& SystemProbes()
{
    static const DriveProbes probes{&SysfsRemovable, &IsDirectory, &ByLabel};
    return probes;
}

} // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text)
{
    std::vector<MountEntry> entries;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        const std::string_view line = text.substr(0, nl);
        MountEntry entry;
        if (ParseLine(line, entry))
            entries.push_back(std::move(entry));
        if (nl == std::string_view::npos)
            break;
        text.remove_prefix(nl + 1);
    }
    return entries;
}

bool IsRemoteFileSystem(std::string_view fsType)
{
    static constexpr std::array<std::string_view, 16> remote{
        "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p",
        "ceph", "fuse.sshfs", "sshfs", "davfs", "fuse.davfs2", "glusterfs", "fuse.glusterfs", "lustre"};
    return std::find(remote.begin(), remote.end(), fsType) != remote.end();
}

std::vector<Drive> DrivesFromMounts(const std::vector<MountEntry>& mounts, const DriveProbes& probes)
{
    std::vector<Drive> drives;
    const MountEntry* rootMount = nullptr;
    for (const MountEntry& m : mounts) {
        if (m.mountPoint == "/") {
            rootMount = &m;
            continue;
        }
        const bool remote = IsRemoteFileSystem(m.fsType);
        if (!remote && !IsBlockDeviceMount(m))
            continue;
        if (!remote && probes.isDirectory && !probes.isDirectory(m.mountPoint))
            continue;
        Drive d{m.mountPoint, m.fsType, m.source, TypeOf(m, probes), DriveDisplayName(m, probes)};
        // A later mount on the same point hides the earlier one.
        std::erase_if(drives, [&](const Drive& x) { return x.mountPoint == d.mountPoint; });
        drives.push_back(std::move(d));
    }
    MountEntry root;
    root.mountPoint = "/";
    if (rootMount)
        root = *rootMount;
    Drive r{"/", root.fsType, root.source, TypeOf(root, probes), QStringLiteral("File System")};
    drives.insert(drives.begin(), std::move(r));
    return drives;
}

const Drive* DriveHolding(const std::vector<Drive>& drives, std::string_view path)
{
    const Drive* best = nullptr;
    for (const Drive& d : drives) {
        const std::string_view mp = d.mountPoint;
        const bool holds = mp == "/" ? !path.empty() && path[0] == '/'
                                     : path.substr(0, mp.size()) == mp && (path.size() == mp.size() || path[mp.size()] == '/');
        if (holds && (!best || mp.size() > best->mountPoint.size()))
            best = &d;
    }
    return best;
}

DriveChanges DiffDrives(const std::vector<Drive>& before, const std::vector<Drive>& after)
{
    DriveChanges changes;
    for (const Drive& d : after)
        if (std::find(before.begin(), before.end(), d) == before.end())
            changes.added.push_back(d);
    for (const Drive& d : before)
        if (std::find(after.begin(), after.end(), d) == after.end())
            changes.removed.push_back(d);
    return changes;
}

MountInfoFile::MountInfoFile() : fd_(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC)) {}

MountInfoFile::~MountInfoFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::vector<Drive> MountInfoFile::ReadDrives()
{
    if (fd_ < 0)
        return DrivesFromMounts({}, SystemProbes());
    return DrivesFromMounts(ParseMountInfo(ReadAll(fd_)), SystemProbes());
}

std::shared_ptr<const std::vector<Drive>> CurrentDrives()
{
    static std::mutex mutex;
    static MountInfoFile file;
    static std::shared_ptr<const std::vector<Drive>> cached;
    std::lock_guard lock(mutex);
    bool stale = !cached;
    if (!stale && file.IsOpen()) {
        pollfd p{file.Fd(), POLLPRI, 0};
        stale = ::poll(&p, 1, 0) > 0 && (p.revents & (POLLPRI | POLLERR));
    }
    if (stale)
        cached = std::make_shared<const std::vector<Drive>>(file.ReadDrives());
    return cached;
}

std::shared_ptr<const Drive> DriveAt(const std::string& path)
{
    const auto drives = CurrentDrives();
    for (const Drive& d : *drives)
        if (d.mountPoint == path)
            return std::shared_ptr<const Drive>(drives, &d);
    return nullptr;
}

DriveType GetDriveType(const std::string& rootPath)
{
    const auto drive = DriveAt(rootPath);
    return drive ? drive->type : DriveNoRootDir;
}

} // namespace orbisk
