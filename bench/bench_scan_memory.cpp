// Peak resident memory per icon a scan holds, for 100,000 icons: 500 entries
// of a PE library with 200 icon groups (hard links to one file, so the corpus
// stays small on disk). Target: at most 5 KB per icon, measured as the growth
// of the peak resident set (VmHWM) over the scan.

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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ScratchDir dir("memscan");
    BuildCorpus(dir.Path());
    CountingView view;
    ScanEngine engine(view);

    // Start the peak from here: the corpus building above is not the scan's.
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = StatusKb("VmHWM:");
    const long rssBefore = StatusKb("VmRSS:");
    ServeScan(engine, dir.Path());
    const long after = StatusKb("VmHWM:");
    const std::size_t icons = engine.Icons().size();
    const double perIcon = icons ? double(after - std::max(before, rssBefore)) * 1024 / double(icons) : 0;
    std::printf("icons loaded: %zu (target 100000)\n", icons);
    std::printf("peak RSS: %ld kB before, %ld kB after\n", std::max(before, rssBefore), after);
    std::printf("per icon: %.0f bytes (target <= %.0f) %s\n", perIcon, TargetBytes,
        icons >= 100000 && perIcon <= TargetBytes ? "ok" : "MISSED");
    return icons >= 100000 && perIcon <= TargetBytes ? 0 : 1;
}
