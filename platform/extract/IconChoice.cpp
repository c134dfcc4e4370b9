#include "platform/extract/IconChoice.h"

#include <algorithm>
#include <cstdlib>

namespace orbisk {

namespace {

// How far an image is from the large-icon size; non-square images count
// both sides.
int Distance(const ImageInfo& i) { return std::abs(i.width - LargeIconSize) + std::abs(i.height - LargeIconSize); }

bool Better(const ImageInfo& a, const ImageInfo& b)
{
    if (Distance(a) != Distance(b))
        return Distance(a) < Distance(b);
    const long areaA = long(a.width) * a.height, areaB = long(b.width) * b.height;
    if (areaA != areaB)
        return areaA > areaB; // the larger on a tie
    return a.bits > b.bits;
}

} // namespace

std::vector<std::size_t> PreferenceOrder(std::span<const ImageInfo> images)
{
    std::vector<std::size_t> order(images.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    // Stable, so that of two equal images the first in the directory wins.
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return Better(images[a], images[b]); });
    return order;
}

} // namespace orbisk
