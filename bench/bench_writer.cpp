// Writing icons to memory: the batch save of thousands of icons is bound by
// the icon file writer, at 32 bits by copying, at 8 bits by palette matching.

#include "IconBenchSupport.h"
#include "export/SaveColors.h"
#include "export/TafIcon.h"

#include <chrono>
#include <cstdio>
#include <vector>

using namespace orbisk;

namespace {

constexpr int iconCount = 64;
constexpr double minSeconds = 1.0;

// Icons of many colours, so the palette lookup meets fresh colours.
std::vector<UniqueIcon> MakeIcons()
{
    std::vector<UniqueIcon> icons;
    for (int i = 0; i < iconCount; ++i)
        icons.emplace_back(bench::GradientIcon(i));
    return icons;
}

double IconsPerSecond(const std::vector<UniqueIcon>& icons, int32_t colorCount)
{
    MemoryStream out;
    long written = 0;
    const auto start = std::chrono::steady_clock::now();
    double seconds = 0;
    do {
        for (const UniqueIcon& icon : icons) {
            out.Clear();
            TafIcon::WriteIconStream(out, icon.get(), colorCount);
        }
        written += long(icons.size());
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } while (seconds < minSeconds);
    return double(written) / seconds;
}

} // namespace

int main()
{
    const auto icons = MakeIcons();
    IconsPerSecond(icons, 256); // builds the colour lookup once, outside the timing
    const struct {
        const char* name;
        int32_t count;
        double target;
    } runs[] = { { "32 bits", TrueColor32, 100000 }, { "8 bits (palette)", 256, 20000 } };
    bool ok = true;
    for (const auto& run : runs) {
        const double rate = IconsPerSecond(icons, run.count);
        const bool met = rate >= run.target;
        ok = ok && met;
        std::printf("WriteIconStream 32x32 at %-17s %10.0f icons/s  (target >= %.0f)  %s\n", run.name, rate,
                    run.target, met ? "ok" : "MISSED");
    }
    return ok ? 0 : 1;
}
