#include "platform/pixels/ScaleDown.h"

#include <algorithm>
#include <cmath>

namespace orbisk {

namespace {

// How much of source pixel `from` lies under a pixel of the result.
struct Share {
    int from;
    float weight;
};

// For each pixel of the result along one axis, the source pixels under it,
// each with the length of its overlap.
std::vector<std::vector<Share>> Shares(int from, int to)
{
    const double step = double(from) / to;
    std::vector<std::vector<Share>> shares(static_cast<std::size_t>(to));
    for (int d = 0; d < to; ++d) {
        const double low = d * step, high = d + 1 == to ? from : (d + 1) * step;
        for (int s = int(low); s < from && s < high; ++s) {
            const double overlap = std::min<double>(s + 1, high) - std::max<double>(s, low);
            if (overlap > 0)
                shares[std::size_t(d)].push_back({ s, float(overlap) });
        }
    }
    return shares;
}

// Alpha and alpha-weighted colour, summed.
struct Sum {
    float a = 0, r = 0, g = 0, b = 0;
    void Add(uint32_t pixel, float weight)
    {
        const float alpha = float(pixel >> 24) * weight;
        a += alpha;
        r += float((pixel >> 16) & 0xff) * alpha;
        g += float((pixel >> 8) & 0xff) * alpha;
        b += float(pixel & 0xff) * alpha;
    }
    void Add(const Sum& s, float weight)
    {
        a += s.a * weight, r += s.r * weight, g += s.g * weight, b += s.b * weight;
    }
};

uint32_t Channel(float value) { return uint32_t(std::clamp(std::lround(value), 0L, 255L)); }

uint32_t Pixel(const Sum& s, float area)
{
    const uint32_t alpha = Channel(s.a / area);
    if (alpha == 0)
        return 0;
    return alpha << 24 | Channel(s.r / s.a) << 16 | Channel(s.g / s.a) << 8 | Channel(s.b / s.a);
}

} // namespace

std::vector<uint32_t> ScaleDown(std::span<const uint32_t> argb, int width, int height, int toWidth, int toHeight)
{
    const auto columns = Shares(width, toWidth);
    const auto rows = Shares(height, toHeight);
    const float area = float(width) / float(toWidth) * float(height) / float(toHeight);
    std::vector<uint32_t> out(static_cast<std::size_t>(toWidth) * std::size_t(toHeight));
    std::vector<Sum> sums(static_cast<std::size_t>(toWidth));
    for (int y = 0; y < toHeight; ++y) {
        std::fill(sums.begin(), sums.end(), Sum {});
        for (const Share& row : rows[std::size_t(y)]) {
            const uint32_t* source = argb.data() + std::size_t(row.from) * std::size_t(width);
            for (int x = 0; x < toWidth; ++x) {
                Sum across;
                for (const Share& column : columns[std::size_t(x)])
                    across.Add(source[column.from], column.weight);
                sums[std::size_t(x)].Add(across, row.weight);
            }
        }
        for (int x = 0; x < toWidth; ++x)
            out[std::size_t(y) * std::size_t(toWidth) + std::size_t(x)] = Pixel(sums[std::size_t(x)], area);
    }
    return out;
}

} // namespace orbisk
