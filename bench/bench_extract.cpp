// Icon extraction speed: every icon of every file of a synthetic corpus, one
// thread, asked for as the scan does (n = 0, 1, 2, ... until no icon).
//   target: >= 20,000 icons per second for groups that hold a 32 x 32 image
//   target: a file that is not an icon file costs only its first bytes
//   target: one call for the largest image decoded (1024 x 1024) stays
//           within a few MB above what the process held before
// Prints the figures; exit status 1 when a target is missed.

#include "ExtractCorpus.h"

#include "platform/extract/ExtractIcon.h"
#include "platform/extract/FileSource.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

using namespace orbisk;
using namespace orbisk::test;
using namespace orbisk::bench;

namespace {

constexpr double kTargetIconsPerSecond = 20000;
constexpr uint64_t kFirstBytes = 4096;
constexpr double kCallMemoryMb = 16;

struct Run {
    long icons = 0;
    double seconds = 0;
    uint64_t bytesRead = 0;
};

Run ExtractAll(const std::vector<std::string>& files)
{
    Run r;
    const uint64_t before = ExtractBytesRead();
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& path : files) {
        for (int n = 0;; ++n) {
            const UniqueIcon icon(ExtractIcon(path, n));
            if (!icon)
                break;
            ++r.icons;
        }
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.bytesRead = ExtractBytesRead() - before;
    return r;
}

// The process's resident and peak resident size in kB, from /proc.
long StatusKb(const char* field)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, std::strlen(field)) == 0)
            kb = std::atol(line + std::strlen(field));
    std::fclose(f);
    return kb;
}

// Peak memory of one call that decodes and scales a 1024 x 1024 image.
double LargestCallMb(const std::string& dir)
{
    const std::string path = dir + "/huge.ico";
    WriteFile(path, IcoFile({ ImageSpec { .width = 1024, .height = 1024, .bits = 32, .pixel = AlphaPattern(1) } }));
    FILE* reset = std::fopen("/proc/self/clear_refs", "w");
    if (!reset)
        return -1;
    std::fputs("5", reset); // the peak starts again from the present size
    std::fclose(reset);
    const long before = StatusKb("VmRSS:");
    const UniqueIcon icon(ExtractIcon(path, 0));
    return double(StatusKb("VmHWM:") - before) / 1024;
}

} // namespace

int main()
{
    const std::string scratch
        = (std::filesystem::temp_directory_path() / ("orbisk-bench-huge-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(scratch);
    const double callMb = LargestCallMb(scratch);
    std::filesystem::remove_all(scratch);

    std::printf("building the corpus...\n");
    const Corpus corpus = MakeCorpus();
    // The best of three passes: the machine may be busy with other work.
    Run icons = ExtractAll(corpus.iconFiles);
    for (int pass = 1; pass < 3; ++pass) {
        const Run again = ExtractAll(corpus.iconFiles);
        if (again.seconds < icons.seconds)
            icons = again;
    }
    const Run others = ExtractAll(corpus.otherFiles);
    std::filesystem::remove_all(corpus.dir);

    const double rate = icons.icons / icons.seconds;
    const double perOther = double(others.bytesRead) / kOtherFiles;
    std::printf("icon files:     %zu files, %.1f MB, %ld icons in %.3f s\n", corpus.iconFiles.size(),
                corpus.iconBytes / 1e6, icons.icons, icons.seconds);
    std::printf("icons/s:        %.0f (target >= %.0f)\n", rate, kTargetIconsPerSecond);
    std::printf("bytes read:     %.1f MB of %.1f MB (%.1f%%)\n", icons.bytesRead / 1e6, corpus.iconBytes / 1e6,
                100.0 * double(icons.bytesRead) / double(corpus.iconBytes));
    std::printf("non-icon files: %zu files, %.1f MB, %ld icons, %.0f bytes read per file (target <= %llu)\n",
                corpus.otherFiles.size(), corpus.otherBytes / 1e6, others.icons, perOther,
                static_cast<unsigned long long>(kFirstBytes));
    std::printf("largest image:  one call held %.1f MB at its peak (target <= %.0f)\n", callMb, kCallMemoryMb);
    const bool ok = rate >= kTargetIconsPerSecond && others.icons == 0 && perOther <= double(kFirstBytes)
        && callMb >= 0 && callMb <= kCallMemoryMb;
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
