// The icon file layout: one image, the colour image at the depth of the
// colour count asked for and the icon's own mask, following the ICO and BMP format
// documents (ICONDIR, ICONDIRENTRY, BITMAPINFOHEADER).

#include "export/LittleEndian.h"
#include "export/SaveColors.h"
#include "export/TafIcon.h"
#include "platform/pixels/ColorTables.h"
#include "platform/pixels/DibBits.h"

#include <cstring>
#include <limits>
#include <vector>

namespace orbisk {

namespace {

constexpr std::size_t fileHeaderSize = 6;
constexpr std::size_t directoryEntrySize = 16;
constexpr std::size_t imageOffset = fileHeaderSize + directoryEntrySize; // 22
constexpr std::size_t infoHeaderSize = 40;

struct IconLayout {
    int width, height, bits;
    std::size_t tableEntries, colorRow, maskRow;

    std::size_t HeaderAndTable() const { return infoHeaderSize + 4 * tableEntries; }
    std::size_t ColorBytes() const { return colorRow * std::size_t(height); }
    std::size_t MaskBytes() const { return maskRow * std::size_t(height); }
    std::size_t ImageSize() const { return HeaderAndTable() + ColorBytes() + MaskBytes(); }
};

void PutHeaders(uint8_t* p, const IconLayout& l)
{
    // File header: reserved, type 1 (icon), one image.
    PutLE16(p + 0, 0);
    PutLE16(p + 2, 1);
    PutLE16(p + 4, 1);
    // Directory entry. The byte after the size holds planes x bit count and
    // the two words after it stay 0: the layout this program has always
    // written, which readers take from the image header anyway.
    p[6] = uint8_t(l.width & 0xff);
    p[7] = uint8_t(l.height & 0xff);
    PutLE16(p + 8, uint32_t(l.bits));
    PutLE16(p + 10, 0);
    PutLE16(p + 12, 0);
    PutLE32(p + 14, uint32_t(l.ImageSize()));
    PutLE32(p + 18, uint32_t(imageOffset));
    // Image header: the height counts the colour rows and the mask rows, the
    // image size the colour rows alone.
    uint8_t* h = p + imageOffset;
    PutLE32(h + 0, uint32_t(infoHeaderSize));
    PutLE32(h + 4, uint32_t(l.width));
    PutLE32(h + 8, uint32_t(2 * l.height));
    PutLE16(h + 12, 1);
    PutLE16(h + 14, uint32_t(l.bits));
    PutLE32(h + 20, uint32_t(l.ColorBytes()));
    // Compression, resolutions and colour counts stay 0.
}

} // namespace

void TafIcon::WriteIconStream(OutputStream& stream, HICON icon, int32_t colorCount)
{
    if (!icon || icon->width <= 0 || icon->height <= 0)
        throw EInvalidGraphic();
    const int bits = ColorCountBits(colorCount);
    const auto table = DibColorTable(bits);
    const IconLayout l { icon->width, icon->height, bits, table.size(), DibRowSize(icon->width, bits),
                         DibRowSize(icon->width, 1) };
    if (l.ImageSize() > std::numeric_limits<uint32_t>::max() || l.height > std::numeric_limits<int32_t>::max() / 2)
        throw EInvalidGraphic();

    std::vector<uint8_t> file(imageOffset + l.ImageSize()); // zero-filled
    PutHeaders(file.data(), l);
    uint8_t* p = file.data() + imageOffset + infoHeaderSize;
    if (!table.empty())
        std::memcpy(p, table.data(), table.size_bytes());
    p += 4 * table.size();
    if (!GetDIBits(icon->color.data(), l.width, l.height, std::size_t(l.width), bits, { p, l.ColorBytes() }))
        throw EInvalidGraphic();
    p += l.ColorBytes();
    // The mask is stored bottom row first, like the colour rows.
    for (int y = 0; y < l.height; ++y)
        std::memcpy(p + std::size_t(l.height - 1 - y) * l.maskRow, icon->mask.data() + std::size_t(y) * l.maskRow,
                    l.maskRow);
    stream.WriteBuffer(file.data(), file.size());
}

} // namespace orbisk
