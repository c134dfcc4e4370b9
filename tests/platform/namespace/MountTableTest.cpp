#include "platform/namespace/MountTable.h"

#include <gtest/gtest.h>

using namespace orbisk;

namespace {

const char* const Table =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "27 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "30 27 0:27 / /dev/shm rw - tmpfs tmpfs rw\n"
    "40 27 8:17 / /media/u/My\\040Stick rw master:2 shared:3 - vfat /dev/sdb1 rw\n"
    "41 27 11:0 / /media/cd ro - iso9660 /dev/sr0 ro\n"
    "42 27 0:50 / /net/home rw - nfs4 server:/home rw\n"
    "43 27 7:3 / /snap/core/1 ro - squashfs /dev/loop3 ro\n"
    "44 27 8:1 /etc/hosts /etc/hosts rw - ext4 /dev/sda1 rw\n"
    "45 27 8:33 / /data rw - ext4 /dev/sdc1 rw\n"
    "46 27 8:34 / /data rw - xfs /dev/sdc2 rw\n"
    "garbage line without fields\n"
    "47 27 8:1 / /broken rw no-dash-here ext4 /dev/sda1\n";

bool RemovableB(unsigned major, unsigned minor)
{
    return major == 8 && minor == 17;
}
bool NotTheHostsFile(const std::string& path)
{
    return path != "/etc/hosts";
}
QString NoLabel(const std::string&)
{
    return {};
}

} // namespace

TEST(MountTable, ParsesLinesDecodesEscapesAndSkipsMalformedOnes)
{
    const auto mounts = ParseMountInfo(Table);
    ASSERT_EQ(mounts.size(), 10u);
    EXPECT_EQ(mounts[3].mountPoint, "/media/u/My Stick");
    EXPECT_EQ(mounts[3].fsType, "vfat"); // optional fields before "-" are skipped
    EXPECT_EQ(mounts[3].major, 8u);
    EXPECT_EQ(mounts[3].minor, 17u);
    EXPECT_EQ(mounts[5].source, "server:/home");
    EXPECT_TRUE(ParseMountInfo("").empty());
    EXPECT_TRUE(ParseMountInfo("1 2 3:4 / relative rw - ext4 /dev/x rw").empty());
}

TEST(MountTable, DrivesAreRootThenVolumesWithTheirTypes)
{
    const auto drives = DrivesFromMounts(ParseMountInfo(Table), {&RemovableB, &NotTheHostsFile, &NoLabel});
    std::vector<std::string> points;
    for (const Drive& d : drives)
        points.push_back(d.mountPoint);
    // Pseudo file systems, snap images and a file mounted over a file are
    // not drives; /data, mounted twice, is listed once with its last mount.
    EXPECT_EQ(points, (std::vector<std::string>{"/", "/media/u/My Stick", "/media/cd", "/net/home", "/data"}));
    EXPECT_EQ(drives[0].displayName, QStringLiteral("File System"));
    EXPECT_EQ(drives[0].type, DriveFixed);
    EXPECT_EQ(drives[1].type, DriveRemovable);
    EXPECT_EQ(drives[1].displayName, QStringLiteral("My Stick"));
    EXPECT_EQ(drives[2].type, DriveCdRom);
    EXPECT_EQ(drives[3].type, DriveRemote);
    EXPECT_EQ(drives[4].fsType, "xfs");

    // Without any mount, `/` is still there.
    const auto bare = DrivesFromMounts({}, {});
    ASSERT_EQ(bare.size(), 1u);
    EXPECT_EQ(bare[0].mountPoint, "/");
}

TEST(MountTable, DriveHoldingAPathMatchesWholeComponentsOnly)
{
    const auto drives = DrivesFromMounts(ParseMountInfo(Table), {&RemovableB, &NotTheHostsFile, &NoLabel});
    EXPECT_EQ(DriveHolding(drives, "/media/cd/x")->mountPoint, "/media/cd");
    EXPECT_EQ(DriveHolding(drives, "/media/cd")->mountPoint, "/media/cd");
    EXPECT_EQ(DriveHolding(drives, "/media/cdrom")->mountPoint, "/");
    EXPECT_EQ(DriveHolding(drives, "/")->mountPoint, "/");
    EXPECT_EQ(DriveHolding(drives, "relative"), nullptr);

    const std::vector<Drive> before(drives.begin(), drives.begin() + 3);
    std::vector<Drive> after{drives[0], drives[2], drives[3]};
    const DriveChanges changes = DiffDrives(before, after);
    ASSERT_EQ(changes.removed.size(), 1u);
    EXPECT_EQ(changes.removed[0].mountPoint, "/media/u/My Stick");
    ASSERT_EQ(changes.added.size(), 1u);
    EXPECT_EQ(changes.added[0].mountPoint, "/net/home");

    // This machine's own table always has `/`, and `/` is a fixed drive root.
    EXPECT_EQ(CurrentDrives()->front().mountPoint, "/");
    EXPECT_NE(GetDriveType("/"), DriveNoRootDir);
    EXPECT_EQ(GetDriveType("/usr/share"), DriveNoRootDir);
}
