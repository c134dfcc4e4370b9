#pragma once

#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

// GetDriveType's answers.
enum DriveType : int {
    DriveUnknown = 0,
    DriveNoRootDir = 1, // the path is not the root of a drive
    DriveRemovable = 2,
    DriveFixed = 3,
    DriveRemote = 4,
    DriveCdRom = 5,
    DriveRamDisk = 6,
};

// One line of /proc/self/mountinfo, with the escapes (\040 and the like)
// decoded.
struct MountEntry {
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;
    std::string mountPoint;
    std::string fsType;
    std::string source;
};

// The lines of a mountinfo text that parse; malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// A drive of Computer: `/` and every mounted block device or network file
// system.
struct Drive {
    std::string mountPoint;
    std::string fsType;
    std::string source;
    DriveType type = DriveFixed;
    QString displayName;

    bool operator==(const Drive& o) const
    {
        return mountPoint == o.mountPoint && source == o.source && fsType == o.fsType;
    }
};

// Whether a file system type is a network one (nfs, cifs, sshfs...).
bool IsRemoteFileSystem(std::string_view fsType);

// The drives among the mounts, `/` first (always present, named
// "File System"), then in mount order; a mount point mounted over again is
// listed once, with its last mount. `isRemovable` answers for a block device
// by major and minor number; `isDirectory` is asked for local mount points
// only (network ones are never touched), so that files mounted over files are
// left out.
struct DriveProbes {
    bool (*isRemovable)(unsigned major, unsigned minor) = nullptr;
    bool (*isDirectory)(const std::string& path) = nullptr;
    QString (*label)(const std::string& source) = nullptr;
};
std::vector<Drive> DrivesFromMounts(const std::vector<MountEntry>& mounts, const DriveProbes& probes);

// The drives of this machine now. The table is read again only when the
// kernel reports that it changed, so calling this often is cheap.
std::shared_ptr<const std::vector<Drive>> CurrentDrives();

// The drive whose mount point is exactly `path`, or none.
std::shared_ptr<const Drive> DriveAt(const std::string& path);

// The drive that holds `path`: the longest mount point that is a whole-
// component prefix of it (so /mnt/usb holds /mnt/usb/a, not /mnt/usbx).
const Drive* DriveHolding(const std::vector<Drive>& drives, std::string_view path);

// GetDriveType: the type of the drive whose mount point is `rootPath`;
// DriveNoRootDir for any other path.
DriveType GetDriveType(const std::string& rootPath);

// The drives that differ between two readings of the table.
struct DriveChanges {
    std::vector<Drive> added;
    std::vector<Drive> removed;
};
DriveChanges DiffDrives(const std::vector<Drive>& before, const std::vector<Drive>& after);

// /proc/self/mountinfo held open: the kernel marks the file with a priority
// event (POLLPRI) whenever the mount table changes, so a socket notifier of the
// exceptional kind on Fd() wakes the window thread exactly then.
class MountInfoFile {
public:
    MountInfoFile();
    ~MountInfoFile();
    MountInfoFile(const MountInfoFile&) = delete;
    MountInfoFile& operator=(const MountInfoFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    // Reads the whole table again from the start.
    std::vector<Drive> ReadDrives();

private:
    int fd_ = -1;
};

} // namespace orbisk
