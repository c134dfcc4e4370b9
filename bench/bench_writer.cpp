// Writing icons to memory: the batch save of thousands of icons is bound by
// the icon file writer, at 32 bits by copying, at 8 bits by palette matching.

#include "export/SaveColors.h"
#include "export/TafIcon.h"

#include <chrono>
#include <cstdio>
#include <vector>

using namespace orbisk;

namespace {

constexpr int iconCount = 64;
constexpr double minSeconds = 1.0;

// 32 x 32 icons of many colours: smooth gradients with a transparent corner,
// different for each icon, so the palette lookup meets fresh colours.
std::vector<UniqueIcon> MakeIcons()
{
    std::vector<UniqueIcon> icons;
    for (int i = 0; i < iconCount; ++i) {
        IconData d;
        d.width = d.height = 32;
        d.color.resize(32 * 32);
        d.mask.assign(std::size_t(IconData::MaskStride(32)) * 32, 0);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const uint32_t r = uint32_t(x * 8 + i) & 0xff, g = uint32_t(y * 8 + 3 * i) & 0xff,
                               b = uint32_t((x + y) * 4 + 7 * i) & 0xff;
                const bool clear = x + y < 6;
                d.color[std::size_t(y * 32 + x)] = clear ? 0 : (0xff000000u | r << 16 | g << 8 | b);
                if (clear)
                    d.mask[std::size_t(y * 4 + x / 8)] |= uint8_t(0x80 >> (x % 8));
            }
        icons.emplace_back(CreateIcon(std::move(d)));
    }
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
