// The peak resident memory and the time of `orbisk-extract scan`, run as a
// user runs it, over two folders:
//   1,000 copies of one icon library of 184 groups (16, 32 and 48 pixel
//   images) that show 43 distinct pictures, as real libraries repeat
//   theirs: target at most 120 MB;
//   8 copies of a program whose 65,535 icon groups all name one 16 x 16
//   image: target at most 200 MB and 2 s.
// The copies are hard links, so the folders stay small on disk. The time is
// the best of three runs; the peak is measured through peak_memory, since a
// process started straight from the benchmark would count the benchmark's
// own memory.
// Usage: bench_scan_peak [ORBISK-EXTRACT]; prints the figures, exit status 1
// when a target is missed.

#include "ProcessRun.h"
#include "ScanBenchSupport.h"
#include "fixtures/Fixtures.h"

#include <cstdio>
#include <filesystem>
#include <string>

using namespace orbisk;
using namespace orbisk::bench;
using namespace orbisk::test;

namespace {

constexpr int LibraryCopies = 1000;
constexpr int LibraryGroups = 184;
constexpr int LibraryPictures = 43;
constexpr int CraftedCopies = 8;
constexpr long LibraryTargetKb = 120 * 1024;
constexpr long CraftedTargetKb = 200 * 1024;
constexpr double CraftedTargetMs = 2000;

Bytes Library()
{
    std::vector<GroupSpec> groups(LibraryGroups);
    for (int g = 0; g < LibraryGroups; ++g) {
        for (int side : { 16, 32, 48 }) {
            ImageSpec image { .width = side, .height = side, .bits = side == 16 ? 8 : 32 };
            image.pixel = Pattern(g % LibraryPictures);
            groups[std::size_t(g)].images.push_back(image);
        }
    }
    return PeFile(groups);
}

void Copies(const std::string& dir, const char* name, const Bytes& file, int copies)
{
    std::filesystem::create_directories(dir);
    const std::string first = dir + "/" + name + "0.dll";
    WriteFile(first, file);
    for (int c = 1; c < copies; ++c)
        std::filesystem::create_hard_link(first, dir + "/" + name + std::to_string(c) + ".dll");
}

// The peak resident memory in KB of one run, through peak_memory; -1 when
// the run failed.
long PeakKb(const std::string& extract, const std::string& dir)
{
    const std::string command
        = std::string("'") + ORBISK_PEAK_MEMORY + "' --quiet '" + extract + "' scan '" + dir + "' 2>/dev/null";
    FILE* out = ::popen(command.c_str(), "r");
    if (!out)
        return -1;
    int status = -1;
    long kb = -1;
    if (std::fscanf(out, "%d %ld", &status, &kb) != 2 || status != 0)
        kb = -1;
    ::pclose(out);
    return kb;
}

struct ScanFigures {
    int status = -1;
    double ms = -1;
    long peakKb = -1;
};

// The best of three runs by time, and the peak of a fourth.
ScanFigures Scan(const std::string& extract, const std::string& dir)
{
    ScanFigures best;
    for (int run = 0; run < 3; ++run) {
        const ProcessRun r = RunProcess({ extract, "scan", dir });
        best.status = r.status;
        if (r.status != 0)
            return best;
        if (best.ms < 0 || r.ms < best.ms)
            best.ms = r.ms;
    }
    best.peakKb = PeakKb(extract, dir);
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string extract = argc > 1 ? argv[1] : ORBISK_EXTRACT;
    ScratchDir dir("scanpeak");
    Copies(dir.Path() + "/libraries", "lib", Library(), LibraryCopies);
    Copies(dir.Path() + "/crafted", "crafted", ManyGroupsOneImagePe(), CraftedCopies);

    bool met = true;
    const ScanFigures libraries = Scan(extract, dir.Path() + "/libraries");
    const bool librariesMet = libraries.status == 0 && libraries.peakKb > 0 && libraries.peakKb <= LibraryTargetKb;
    std::printf("1,000 libraries of 184 icons: peak %.1f MB (target <= 120), %.0f ms %s\n",
        double(libraries.peakKb) / 1024, libraries.ms, librariesMet ? "ok" : "MISSED");
    met = met && librariesMet;

    const ScanFigures crafted = Scan(extract, dir.Path() + "/crafted");
    const bool craftedMet
        = crafted.status == 0 && crafted.peakKb > 0 && crafted.peakKb <= CraftedTargetKb && crafted.ms <= CraftedTargetMs;
    std::printf("8 programs of 65,535 groups naming one image: peak %.1f MB (target <= 200), %.0f ms "
                "(target <= 2000) %s\n",
        double(crafted.peakKb) / 1024, crafted.ms, craftedMet ? "ok" : "MISSED");
    met = met && craftedMet;
    return met ? 0 : 1;
}
