// Peak resident memory a scan holds per icon, measured as the growth of the
// peak resident set (VmHWM) over the scan:
//   100,000 icons: 500 entries of a PE library with 200 icon groups (hard
//   links to one file, so the corpus stays small on disk); target at most
//   5 KB per icon;
//   1,000,000 icons from 10,000 distinct pictures: 100 libraries of 100
//   groups, each picture its own, each library linked 100 times; target at
//   most 150 MB of growth, that is at most 64 bytes per icon beyond the
//   images the icons share.

#include "ScanBenchSupport.h"
#include "fixtures/Fixtures.h"

#include <QCoreApplication>

#include <cstdio>
#include <fstream>
#include <unistd.h>

using namespace orbisk;
using namespace orbisk::bench;
using namespace orbisk::test;

namespace {

constexpr int Files = 500;
constexpr int GroupsPerFile = 200;
constexpr double TargetBytes = 5 * 1024;

constexpr int DistinctFiles = 100;
constexpr int DistinctGroupsPerFile = 100;
constexpr int LinksPerFile = 100;
constexpr long ManyIcons = long(DistinctFiles) * DistinctGroupsPerFile * LinksPerFile;
constexpr double ManyTargetBytes = 150.0 * 1024 * 1024;

// A value in kB from /proc/self/status.
long StatusKb(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(std::string(key).size()));
    }
    return -1;
}

void BuildCorpus(const std::string& dir)
{
    const std::vector<ImageSpec> images { ImageSpec { .width = 16, .height = 16 }, ImageSpec {},
        ImageSpec { .width = 48, .height = 48 } };
    const std::string first = dir + "/lib0.dll";
    WriteFile(first, PeFile(Groups(GroupsPerFile, images)));
    for (int f = 1; f < Files; ++f)
        std::filesystem::create_hard_link(first, dir + "/lib" + std::to_string(f) + ".dll");
}

void BuildManyIconsCorpus(const std::string& dir)
{
    for (int f = 0; f < DistinctFiles; ++f) {
        const std::string name = dir + "/lib" + std::to_string(f);
        WriteFile(name + "-0.dll", PeFile(DistinctGroups(DistinctGroupsPerFile, f * DistinctGroupsPerFile, 32)));
        for (int l = 1; l < LinksPerFile; ++l)
            std::filesystem::create_hard_link(name + "-0.dll", name + "-" + std::to_string(l) + ".dll");
    }
}

struct Growth {
    std::size_t icons = 0;
    long peakBefore = 0;
    long peakAfter = 0;
    double Bytes() const { return double(peakAfter - peakBefore) * 1024; }
};

// Scans path with a new engine; the corpus building before is not the scan's.
Growth MeasureScan(const std::string& path)
{
    CountingView view;
    ScanEngine engine(view);
    std::ofstream("/proc/self/clear_refs") << "5";
    Growth g;
    g.peakBefore = std::max(StatusKb("VmHWM:"), StatusKb("VmRSS:"));
    ServeScan(engine, path);
    g.peakAfter = StatusKb("VmHWM:");
    g.icons = engine.Icons().size();
    return g;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bool met = true;
    {
        ScratchDir dir("memscan");
        BuildCorpus(dir.Path());
        const Growth g = MeasureScan(dir.Path());
        const double perIcon = g.icons ? g.Bytes() / double(g.icons) : 0;
        const bool ok = g.icons >= 100000 && perIcon <= TargetBytes;
        std::printf("icons loaded: %zu (target 100000)\n", g.icons);
        std::printf("peak RSS: %ld kB before, %ld kB after\n", g.peakBefore, g.peakAfter);
        std::printf("per icon: %.0f bytes (target <= %.0f) %s\n", perIcon, TargetBytes, ok ? "ok" : "MISSED");
        met = met && ok;
    }
    {
        ScratchDir dir("memscan-many");
        BuildManyIconsCorpus(dir.Path());
        const Growth g = MeasureScan(dir.Path());
        const bool ok = long(g.icons) >= ManyIcons && g.Bytes() <= ManyTargetBytes;
        std::printf("icons loaded: %zu from %d distinct pictures (target %ld)\n", g.icons,
            DistinctFiles * DistinctGroupsPerFile, ManyIcons);
        std::printf("peak RSS growth: %.1f MB (target <= 150), %.0f bytes per icon %s\n",
            g.Bytes() / (1024 * 1024), g.icons ? g.Bytes() / double(g.icons) : 0, ok ? "ok" : "MISSED");
        met = met && ok;
    }
    return met ? 0 : 1;
}
