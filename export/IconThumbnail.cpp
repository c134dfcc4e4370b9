#include "export/IconThumbnail.h"

#include "platform/extract/ImageForSize.h"
#include "platform/pixels/ScaleDown.h"

#include <algorithm>

namespace orbisk {

namespace {

Result<Thumbnail> FromImage(Result<DecodedImage> decoded, int size)
{
    if (!decoded)
        return decoded.AsError();
    Thumbnail thumbnail;
    ThumbnailSize(decoded->width, decoded->height, size, thumbnail.width, thumbnail.height);
    if (thumbnail.width == decoded->width && thumbnail.height == decoded->height)
        thumbnail.argb = std::move(decoded->argb);
    else
        thumbnail.argb = ScaleDown(decoded->argb, decoded->width, decoded->height, thumbnail.width, thumbnail.height);
    return thumbnail;
}

} // namespace

void ThumbnailSize(int width, int height, int size, int& toWidth, int& toHeight)
{
    const int longer = std::max(width, height);
    if (longer <= size) {
        toWidth = width, toHeight = height;
        return;
    }
    auto scaled = [&](int side) { return std::max(1, int((int64_t(side) * size + longer / 2) / longer)); };
    toWidth = scaled(width);
    toHeight = scaled(height);
}

Result<Thumbnail> IconThumbnail(const std::string& path, int size)
{
    return FromImage(DecodeFirstIconForSize(path, size), size);
}

Result<Thumbnail> IconThumbnailFromBytes(std::span<const uint8_t> bytes, int size)
{
    return FromImage(DecodeFirstIconForSizeFromBytes(bytes, size), size);
}

} // namespace orbisk
