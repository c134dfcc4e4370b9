// A whole scan through BeginScan against extraction alone, on the same corpus
// in the same run: PE libraries of 2 to 200 icon groups, each group with
// 16, 32 and 48 pixel DIBs and a 256 pixel PNG. Target: the scan loads icons
// at no less than 80% of the rate of calling ExtractIcon in a plain loop.

#include "ScanBenchSupport.h"
#include "platform/extract/ExtractIcon.h"
#include "fixtures/Fixtures.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

using namespace orbisk;
using namespace orbisk::bench;
using namespace orbisk::test;

namespace {

constexpr int Files = 40;
constexpr int Runs = 5;
constexpr double Target = 0.80;

long BuildCorpus(const std::string& dir)
{
    const std::vector<ImageSpec> images { ImageSpec { .width = 16, .height = 16 }, ImageSpec {},
        ImageSpec { .width = 48, .height = 48 }, ImageSpec { .width = 256, .height = 256, .png = true } };
    long groups = 0;
    for (int f = 0; f < Files; ++f) {
        const int n = 2 + (198 * f) / (Files - 1); // 2 ... 200
        WriteFile(dir + "/lib" + std::to_string(f) + ".dll", PeFile(Groups(n, images)));
        groups += n;
    }
    return groups;
}

// Icons per second when every file is asked for icon 0, 1, 2 ... directly.
double ExtractionRate(const std::string& dir, long& icons)
{
    std::vector<std::string> paths;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        paths.push_back(e.path().string());
    icons = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& path : paths) {
        for (int n = 0;; ++n) {
            const UniqueIcon icon(ExtractIcon(path, n));
            if (!icon)
                break;
            ++icons;
        }
    }
    return double(icons) / std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double ScanRate(const std::string& dir, std::size_t& icons)
{
    CountingView view;
    ScanEngine engine(view);
    const double seconds = ServeScan(engine, dir);
    icons = engine.Icons().size();
    return double(icons) / seconds;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ScratchDir dir("fullscan");
    const long groups = BuildCorpus(dir.Path());
    long extracted = 0;
    std::size_t scanned = 0;
    ExtractionRate(dir.Path(), extracted); // warm the cache for both
    double extractRate = 0, scanRate = 0;
    for (int r = 0; r < Runs; ++r) {
        extractRate = std::max(extractRate, ExtractionRate(dir.Path(), extracted));
        scanRate = std::max(scanRate, ScanRate(dir.Path(), scanned));
    }
    const double share = scanRate / extractRate;
    std::printf("corpus: %d PE files, %ld icon groups (16/32/48 px DIBs and a 256 px PNG each)\n", Files, groups);
    std::printf("extraction alone: %.0f icons/s (%ld icons, best of %d)\n", extractRate, extracted, Runs);
    std::printf("scan (BeginScan): %.0f icons/s (%zu icons, best of %d)\n", scanRate, scanned, Runs);
    std::printf("scan / extraction: %.0f%% (target >= %.0f%%) %s\n", share * 100, Target * 100,
        share >= Target && scanned == std::size_t(extracted) ? "ok" : "MISSED");
    return share >= Target && scanned == std::size_t(extracted) ? 0 : 1;
}
