#include "export/SaveColors.h"

namespace orbisk {

int32_t ScreenColorCount(int displayBits)
{
    constexpr unsigned planes = 1;
    // The product is taken as a 16-bit unsigned number, as the device
    // reports it.
    const auto depth = uint16_t(planes * unsigned(displayBits));
    if (depth <= 8)
        return int32_t(1) << depth;
    return TrueColor32;
}

int ColorCountBits(int32_t colorCount)
{
    switch (colorCount) {
    case 2:
        return 1;
    case 16:
        return 4;
    case 256:
        return 8;
    case 65536:
        return 16;
    case 16777216:
        return 24;
    default:
        return 32;
    }
}

int32_t SaveColorsToColorCount(int32_t saveColors, int displayBits)
{
    return saveColors != 0 ? saveColors : ScreenColorCount(displayBits);
}

} // namespace orbisk
