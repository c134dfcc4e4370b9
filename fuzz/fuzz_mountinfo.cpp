// Fuzzes the mount-table reader with /proc/self/mountinfo texts, and the
// drive list made from what it reads, with probes that ask the machine
// nothing. "/" is always the first drive, no mount point is listed twice,
// and each drive is the one that holds its own mount point.

#include "platform/namespace/MountTable.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<orbisk::MountEntry> mounts = orbisk::ParseMountInfo(text);
    for (const orbisk::MountEntry& m : mounts) {
        if (m.mountPoint.empty() || m.mountPoint[0] != '/')
            std::abort();
    }
    orbisk::DriveProbes probes;
    probes.isRemovable = [](unsigned major, unsigned) { return major % 2 == 1; };
    probes.isDirectory = [](const std::string& path) { return path.size() % 3 != 0; };
    const std::vector<orbisk::Drive> drives = orbisk::DrivesFromMounts(mounts, probes);
    if (drives.empty() || drives.front().mountPoint != "/")
        std::abort();
    std::vector<std::string> points;
    for (const orbisk::Drive& d : drives) {
        points.push_back(d.mountPoint);
        const orbisk::Drive* holder = orbisk::DriveHolding(drives, d.mountPoint);
        if (!holder || holder->mountPoint != d.mountPoint)
            std::abort();
    }
    std::sort(points.begin(), points.end());
    if (std::adjacent_find(points.begin(), points.end()) != points.end())
        std::abort();
    if (orbisk::DiffDrives(drives, {}).removed.size() != drives.size())
        std::abort();
    return 0;
}
