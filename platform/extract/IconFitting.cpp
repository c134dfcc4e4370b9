#include "platform/extract/IconFitting.h"

#include "platform/extract/IconChoice.h"
#include "platform/extract/IconGroupDecoder.h"

#include <QImage>

#include <algorithm>

namespace orbisk {

namespace {

static_assert(IconData::MaskStride(LargeIconSize) * 8 == LargeIconSize, "32-pixel mask rows need no padding");

IconData Blank(bool monochrome)
{
    IconData icon;
    icon.width = LargeIconSize;
    icon.height = LargeIconSize;
    icon.color.assign(std::size_t(LargeIconSize) * LargeIconSize, 0);
    icon.mask.assign(std::size_t(IconData::MaskStride(LargeIconSize)) * LargeIconSize, 0);
    icon.monochrome = monochrome;
    return icon;
}

void SetMaskBit(IconData& icon, int x, int y, bool set)
{
    uint8_t& byte = icon.mask[std::size_t(y) * std::size_t(IconData::MaskStride(icon.width)) + std::size_t(x / 8)];
    const uint8_t bit = uint8_t(0x80 >> (x % 8));
    byte = set ? uint8_t(byte | bit) : uint8_t(byte & ~bit);
}

// A view of the decoded pixels, not a copy: a 1024 x 1024 image is 4 MB.
QImage WrapAsQImage(const DecodedImage& image)
{
    return QImage(reinterpret_cast<const uchar*>(image.argb.data()), image.width, image.height,
                  qsizetype(image.width) * 4, QImage::Format_ARGB32);
}

// Copies a scaled image into the icon at (left, top), mask from alpha.
void Place(IconData& icon, const QImage& scaled, int left, int top)
{
    const QImage argb = scaled.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            icon.color[std::size_t(top + y) * LargeIconSize + std::size_t(left + x)] = line[x];
            SetMaskBit(icon, left + x, top + y, (line[x] >> 24) < 128);
        }
    }
}

void MaskEverything(IconData& icon)
{
    std::fill(icon.mask.begin(), icon.mask.end(), uint8_t(0xff));
}

} // namespace

IconData FitIcon(const DecodedImage& image)
{
    IconData icon = Blank(image.monochrome);
    if (image.width == LargeIconSize && image.height == LargeIconSize) {
        icon.color = image.argb;
        // Eight mask bytes make one mask byte (the 32-pixel rows need no padding).
        for (std::size_t i = 0; i < icon.mask.size(); ++i) {
            uint8_t bits = 0;
            for (std::size_t b = 0; b < 8; ++b)
                bits = uint8_t(bits << 1 | (image.mask[i * 8 + b] != 0));
            icon.mask[i] = bits;
        }
        return icon;
    }
    const QImage scaled
        = WrapAsQImage(image).scaled(LargeIconSize, LargeIconSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    Place(icon, scaled, 0, 0);
    return icon;
}

IconData FitBitmap(const DecodedImage& image)
{
    IconData icon = Blank(image.monochrome);
    MaskEverything(icon);
    int w = LargeIconSize, h = LargeIconSize;
    if (image.width > image.height)
        h = std::max(1, int((long(image.height) * LargeIconSize + image.width / 2) / image.width));
    else if (image.height > image.width)
        w = std::max(1, int((long(image.width) * LargeIconSize + image.height / 2) / image.height));
    const QImage view = WrapAsQImage(image);
    const QImage scaled
        = w == image.width && h == image.height ? view : view.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    Place(icon, scaled, (LargeIconSize - w) / 2, (LargeIconSize - h) / 2);
    return icon;
}

Result<IconData> DecodeGroup(ByteSource& source, IconContainer& container, uint32_t g, ImageInfo* chosen)
{
    ORBISK_TRY(image, DecodeRankedImage(source, container, g, PreferenceOrder, chosen));
    return container.Kind() == GroupKind::Bitmap ? FitBitmap(*image) : FitIcon(*image);
}

Result<IconData> NumberedIcon(IconNumbering& numbering, ByteSource& source, int n, ImageInfo* chosen)
{
    IconData icon;
    auto g = numbering.FindIcon(source, n, [&](uint32_t group) {
        auto decoded = DecodeGroup(source, *numbering.Container(), group, chosen);
        if (decoded)
            icon = std::move(*decoded);
        return bool(decoded);
    });
    if (!g)
        return g.AsError();
    return icon;
}

} // namespace orbisk
