// The bitmap file layout follows the BMP format document: BITMAPFILEHEADER,
// BITMAPINFOHEADER, the colour table for 8 bits or fewer, bottom-up rows.

#include "export/BitmapExport.h"

#include "export/AtomicFileStream.h"
#include "export/LittleEndian.h"
#include "platform/pixels/ColorTables.h"
#include "platform/pixels/DibBits.h"

#include <QImage>
#include <QPainter>

#include <array>
#include <vector>

namespace orbisk {

namespace {

constexpr std::size_t fileHeaderSize = 14;
constexpr std::size_t infoHeaderSize = 40;

// The icon drawn as a screen would show it on a white window.
QImage DrawOnWhite(const TafIcon& icon)
{
    QImage canvas(icon.Width(), icon.Height(), QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    icon.Draw(painter, 0, 0);
    painter.end();
    return canvas;
}

} // namespace

int DisplayBitmapBits(int displayBits)
{
    // A display depth with no bitmap format of its own (2, 15, 30 ...) gets
    // the next one up, as the device would round it.
    for (int b : { 1, 4, 8, 16, 24 })
        if (displayBits <= b)
            return b;
    return 32;
}

void WriteBitmapStream(OutputStream& stream, const TafIcon& icon, int displayBits)
{
    if (icon.Empty())
        throw EInvalidGraphic();
    const QImage canvas = DrawOnWhite(icon);
    const int width = canvas.width(), height = canvas.height();
    const int bits = DisplayBitmapBits(displayBits);
    const auto table = DibColorTable(bits);
    const std::size_t rowSize = DibRowSize(width, bits);
    const std::size_t pixelBytes = rowSize * std::size_t(height);
    const std::size_t pixelOffset = fileHeaderSize + infoHeaderSize + table.size_bytes();

    std::vector<uint8_t> pixels(pixelBytes);
    GetDIBits(reinterpret_cast<const uint32_t*>(canvas.constBits()), width, height,
              std::size_t(canvas.bytesPerLine()) / 4, bits, pixels);

    std::array<uint8_t, fileHeaderSize + infoHeaderSize> headers {};
    uint8_t* f = headers.data();
    f[0] = 'B';
    f[1] = 'M';
    PutLE32(f + 2, uint32_t(pixelOffset + pixelBytes));
    PutLE32(f + 10, uint32_t(pixelOffset));
    uint8_t* h = f + fileHeaderSize;
    PutLE32(h + 0, uint32_t(infoHeaderSize));
    PutLE32(h + 4, uint32_t(width));
    PutLE32(h + 8, uint32_t(height)); // positive: bottom row first
    PutLE16(h + 12, 1);
    PutLE16(h + 14, uint32_t(bits));
    PutLE32(h + 20, uint32_t(pixelBytes));
    PutLE32(h + 32, uint32_t(table.size()));

    stream.WriteBuffer(f, fileHeaderSize);
    stream.WriteBuffer(h, infoHeaderSize);
    if (!table.empty())
        stream.WriteBuffer(table.data(), table.size_bytes());
    stream.WriteBuffer(pixels.data(), pixels.size());
}

void WriteBitmapFile(const TafIcon& icon, const std::string& fileName, int displayBits)
{
    AtomicFileStream file(fileName);
    WriteBitmapStream(file, icon, displayBits);
    file.Commit();
}

} // namespace orbisk
