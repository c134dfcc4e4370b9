#include "core/SharpIcon.h"

#include "platform/extract/ImageForSize.h"
#include "platform/pixels/ScaleDown.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace orbisk {

int SharpIconPixels(double devicePixelRatio)
{
    if (!(devicePixelRatio > 1.0) || devicePixelRatio > 16.0)
        return GridIconPixels;
    return int(std::ceil(GridIconPixels * devicePixelRatio - 1e-6));
}

UniqueIcon MakeSharpIcon(const std::string& path, int n, int pixels)
{
    try {
        ImageInfo chosen;
        auto image = DecodeIconForSize(path, n, pixels, &chosen);
        if (!image || image->width != image->height || image->width <= GridIconPixels)
            return nullptr;
        IconData icon;
        icon.monochrome = image->monochrome;
        icon.width = icon.height = std::min(image->width, pixels);
        if (icon.width == image->width)
            icon.color = std::move(image->argb);
        else
            icon.color = ScaleDown(image->argb, image->width, image->height, icon.width, icon.height);
        // Drawing composites by alpha; the mask only keeps the handle whole.
        icon.mask.assign(std::size_t(IconData::MaskStride(icon.width)) * std::size_t(icon.height), 0);
        for (int y = 0; y < icon.height; ++y)
            for (int x = 0; x < icon.width; ++x)
                if ((icon.Pixel(x, y) >> 24) < 128)
                    icon.mask[std::size_t(y * IconData::MaskStride(icon.width) + x / 8)] |= uint8_t(0x80 >> (x % 8));
        return UniqueIcon(CreateIcon(std::move(icon)));
    } catch (const std::exception&) {
        return nullptr; // out of memory: the 32-pixel icon stands in
    }
}

} // namespace orbisk
