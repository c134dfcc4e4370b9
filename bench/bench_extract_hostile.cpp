// Hostile files: a file built to make the extractor work far beyond its
// size. Each is listed as the scan lists a file (icon 0, 1, 2, ... until
// none), from a file on disk, the best of three runs. Times are the
// thread's CPU time, so that other work on the machine does not count.
//   target: every file of fuzz/regressions/extract/ (bitmaps with runs past
//           their rows, programs whose groups name one image thousands of
//           times, crash inputs) within 100 ms
//   target: a 4 MB run-length stream of 255-pixel runs on 1-pixel rows
//           within 100 ms
// Prints the figures; exit status 1 when a target is missed.

#include "platform/extract/ExtractIcon.h"
#include "fixtures/Fixtures.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <time.h>
#include <unistd.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

constexpr double kTargetMs = 100;

// A 1 x 1024 RLE8 bitmap whose stream of 255-pixel runs fills 4 MB: each
// run but its first pixel lies past the end of its row.
Bytes LongRunsBitmap()
{
    const uint32_t streamBytes = 4u << 20;
    Bytes b { 'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0 };
    const uint32_t header[] = { 40, 1, 1024, 1u | 8u << 16, 1, streamBytes, 0, 0, 2, 0, 0x000000, 0xffffff };
    for (uint32_t v : header)
        for (int i = 0; i < 4; ++i)
            b.push_back(uint8_t(v >> (8 * i)));
    for (uint32_t i = 0; i < streamBytes / 2; ++i)
        b.push_back(255), b.push_back(1);
    PutU32(b, 2, uint32_t(b.size()));
    return b;
}

double ThreadCpuMs()
{
    timespec t {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double ListMs(const std::string& path, int& icons)
{
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        const double start = ThreadCpuMs();
        icons = 0;
        while (const UniqueIcon icon { ExtractIcon(path, icons) })
            ++icons;
        // Read afresh on the next run, not from the thread's last parse.
        const UniqueIcon none(ExtractIcon("/", 0));
        best = std::min(best, ThreadCpuMs() - start);
    }
    return best;
}

} // namespace

int main()
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(ORBISK_SOURCE_DIR "/fuzz/regressions/extract"))
        files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    const std::string scratch
        = (std::filesystem::temp_directory_path() / ("orbisk-bench-hostile-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(scratch);
    const std::string longRuns = scratch + "/long-runs.bmp";
    WriteFile(longRuns, LongRunsBitmap());
    files.push_back(longRuns);

    bool ok = !files.empty();
    for (const std::string& path : files) {
        int icons = 0;
        const double ms = ListMs(path, icons);
        ok &= ms <= kTargetMs;
        std::printf("%-40s %6.1f ms, %d icons%s\n", std::filesystem::path(path).filename().c_str(), ms, icons,
                    ms <= kTargetMs ? "" : " (target missed)");
    }
    std::filesystem::remove_all(scratch);
    std::printf("target: each within %.0f ms\n%s\n", kTargetMs, ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
