#include "tests/support/Fixtures.h"

#include "tests/support/ByteWriter.h"

#include <QBuffer>
#include <QImage>

#include <algorithm>
#include <cstdio>

namespace orbisk::test {

namespace {

uint32_t Hash(uint32_t x)
{
    x ^= x >> 16, x *= 0x7feb352d, x ^= x >> 15, x *= 0x846ca68b, x ^= x >> 16;
    return x;
}

PixelFn PixelsOf(const ImageSpec& s)
{
    if (s.pixel)
        return s.pixel;
    const int colors = s.bits >= 4 || s.png ? 16 : 2;
    return Pattern(0, colors);
}

bool MaskOf(const ImageSpec& s, int x, int y)
{
    if (s.mask)
        return s.mask(x, y);
    return (PixelsOf(s)(x, y) >> 24) < 128;
}

// Indexed images: the first 2^bits distinct colours in scan order; any
// further colour takes the nearest of them.
struct Indexed {
    std::vector<uint32_t> palette;
    std::vector<uint8_t> index;
};

Indexed Quantize(const ImageSpec& s)
{
    Indexed q;
    const std::size_t cap = std::size_t(1) << s.bits;
    const PixelFn px = PixelsOf(s);
    std::vector<uint32_t> rgb;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const uint32_t c = px(x, y) & 0xffffff;
            rgb.push_back(c);
            if (q.palette.size() < cap && std::find(q.palette.begin(), q.palette.end(), c) == q.palette.end())
                q.palette.push_back(c);
        }
    for (uint32_t c : rgb) {
        std::size_t best = 0;
        long bestD = -1;
        for (std::size_t i = 0; i < q.palette.size(); ++i) {
            const long dr = long((c >> 16) & 255) - long((q.palette[i] >> 16) & 255);
            const long dg = long((c >> 8) & 255) - long((q.palette[i] >> 8) & 255);
            const long db = long(c & 255) - long(q.palette[i] & 255);
            const long d = dr * dr + dg * dg + db * db;
            if (bestD < 0 || d < bestD)
                bestD = d, best = i;
        }
        q.index.push_back(uint8_t(best));
    }
    return q;
}

uint32_t Widen5(uint32_t v) { return (v << 3) | (v >> 2); }

uint32_t Through555(uint32_t c)
{
    const uint32_t r = (c >> 19) & 31, g = (c >> 11) & 31, b = (c >> 3) & 31;
    return (Widen5(r) << 16) | (Widen5(g) << 8) | Widen5(b);
}

bool CarriesAlpha(const ImageSpec& s)
{
    if (s.png)
        return true;
    // BI_BITFIELDS with three masks leaves no room for alpha.
    if (s.bits != 32 || s.zeroAlpha || s.bitfields)
        return false;
    const PixelFn px = PixelsOf(s);
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            if (px(x, y) >> 24)
                return true;
    return false;
}

std::size_t RowBytes(int w, int bits) { return ((std::size_t(w) * std::size_t(bits) + 31) / 32) * 4; }

// Colour rows, bottom-up unless topDown.
void WriteRows(ByteWriter& out, const ImageSpec& s, bool topDown)
{
    const PixelFn px = PixelsOf(s);
    const Indexed q = s.bits <= 8 ? Quantize(s) : Indexed {};
    const std::size_t stride = RowBytes(s.width, s.bits);
    for (int r = 0; r < s.height; ++r) {
        const int y = topDown ? r : s.height - 1 - r;
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < s.width; ++x) {
            const uint32_t c = px(x, y);
            const std::size_t i = std::size_t(x);
            switch (s.bits) {
            case 1:
                row[i / 8] |= uint8_t(q.index[std::size_t(y) * std::size_t(s.width) + i] << (7 - x % 8));
                break;
            case 4:
                row[i / 2] |= uint8_t(q.index[std::size_t(y) * std::size_t(s.width) + i] << (x % 2 ? 0 : 4));
                break;
            case 8:
                row[i] = q.index[std::size_t(y) * std::size_t(s.width) + i];
                break;
            case 16: {
                const uint32_t v = (((c >> 19) & 31) << 10) | (((c >> 11) & 31) << 5) | ((c >> 3) & 31);
                row[i * 2] = uint8_t(v), row[i * 2 + 1] = uint8_t(v >> 8);
                break;
            }
            case 24:
                row[i * 3] = uint8_t(c), row[i * 3 + 1] = uint8_t(c >> 8), row[i * 3 + 2] = uint8_t(c >> 16);
                break;
            default:
                row[i * 4] = uint8_t(c), row[i * 4 + 1] = uint8_t(c >> 8), row[i * 4 + 2] = uint8_t(c >> 16);
                row[i * 4 + 3] = s.zeroAlpha ? 0 : uint8_t(c >> 24);
            }
        }
        out.Append(row);
    }
}

void WriteAndMask(ByteWriter& out, const ImageSpec& s)
{
    const std::size_t stride = RowBytes(s.width, 1);
    for (int r = 0; r < s.height; ++r) {
        const int y = s.height - 1 - r;
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < s.width; ++x)
            if (MaskOf(s, x, y))
                row[std::size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
        out.Append(row);
    }
}

// Header, colour masks and colour table of a DIB.
void WriteDibHeader(ByteWriter& out, const ImageSpec& s, int storedHeight)
{
    const Indexed q = s.bits <= 8 ? Quantize(s) : Indexed {};
    const uint32_t full = s.bits <= 8 ? (1u << s.bits) : 0;
    const uint32_t entries = s.bits <= 8 && s.clrUsed ? s.clrUsed : full;
    if (s.coreHeader) {
        out.U32(12), out.U16(uint32_t(s.width)), out.U16(uint32_t(storedHeight)), out.U16(1), out.U16(uint32_t(s.bits));
        for (uint32_t i = 0; i < full; ++i) {
            const uint32_t c = i < q.palette.size() ? q.palette[i] : 0;
            out.U8(c), out.U8(c >> 8), out.U8(c >> 16);
        }
        return;
    }
    const bool fields = s.bitfields && (s.bits == 16 || s.bits == 32);
    out.U32(40), out.U32(uint32_t(s.width)), out.U32(uint32_t(storedHeight)), out.U16(1), out.U16(uint32_t(s.bits));
    out.U32(fields ? 3 : 0), out.U32(0), out.U32(0), out.U32(0), out.U32(s.clrUsed), out.U32(0);
    if (fields && s.bits == 16)
        out.U32(0x7c00), out.U32(0x03e0), out.U32(0x001f);
    else if (fields)
        out.U32(0xff0000), out.U32(0xff00), out.U32(0xff);
    for (uint32_t i = 0; i < entries; ++i) {
        const uint32_t c = i < q.palette.size() ? q.palette[i] : 0;
        out.U32(c & 0xffffff);
    }
}

Bytes PngOf(const ImageSpec& s)
{
    QImage image(s.width, s.height, QImage::Format_ARGB32);
    const PixelFn px = PixelsOf(s);
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            image.setPixel(x, y, px(x, y));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return Bytes(data.begin(), data.end());
}

Bytes IconDirFile(const std::vector<ImageSpec>& images, uint16_t type, int hotX, int hotY)
{
    ByteWriter out;
    out.U16(0), out.U16(type), out.U16(uint32_t(images.size()));
    std::vector<Bytes> data;
    for (const ImageSpec& s : images)
        data.push_back(IconImage(s));
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const ImageSpec& s = images[i];
        const int bits = s.png ? 32 : s.bits;
        out.U8(s.width >= 256 ? 0 : uint32_t(s.width)), out.U8(s.height >= 256 ? 0 : uint32_t(s.height));
        out.U8(bits < 8 ? (1u << bits) : 0), out.U8(0);
        if (type == 2)
            out.U16(uint32_t(hotX)), out.U16(uint32_t(hotY));
        else
            out.U16(1), out.U16(uint32_t(bits));
        out.U32(uint32_t(data[i].size())), out.U32(offset);
        offset += uint32_t(data[i].size());
    }
    for (const Bytes& d : data)
        out.Append(d);
    return std::move(out.Bytes());
}

} // namespace

PixelFn Pattern(int seed, int colors)
{
    return [seed, colors](int x, int y) {
        const uint32_t k = uint32_t((x / 4) + (y / 4) * 3 + seed) % uint32_t(colors);
        return 0xff000000u | (Hash(k * 7919u + uint32_t(seed) * 104729u + 1) & 0xffffff);
    };
}

PixelFn AlphaPattern(int seed)
{
    return [seed](int x, int y) {
        const uint32_t a = uint32_t((x * 8 + y * 3 + seed) % 256);
        return (a << 24) | (Hash(uint32_t(x * 131 + y * 7 + seed)) & 0xffffff);
    };
}

std::vector<uint32_t> ExpectedPixels(const ImageSpec& s)
{
    const PixelFn px = PixelsOf(s);
    const bool alpha = CarriesAlpha(s);
    const Indexed q = s.bits <= 8 && !alpha ? Quantize(s) : Indexed {};
    std::vector<uint32_t> out;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const uint32_t c = px(x, y);
            if (alpha) {
                out.push_back(c);
                continue;
            }
            uint32_t rgb = c & 0xffffff;
            if (s.bits <= 8)
                rgb = q.palette[q.index[std::size_t(y) * std::size_t(s.width) + std::size_t(x)]];
            else if (s.bits == 16)
                rgb = Through555(c);
            out.push_back((MaskOf(s, x, y) ? 0u : 0xff000000u) | rgb);
        }
    return out;
}

uint32_t ExpectedPixel(const ImageSpec& s, int x, int y)
{
    return ExpectedPixels(s)[std::size_t(y) * std::size_t(s.width) + std::size_t(x)];
}

bool ExpectedMask(const ImageSpec& s, int x, int y)
{
    if (s.png)
        return (PixelsOf(s)(x, y) >> 24) < 128;
    return MaskOf(s, x, y);
}

Bytes IconImage(const ImageSpec& s)
{
    if (s.encoded)
        return *s.encoded;
    if (s.png)
        return PngOf(s);
    ByteWriter out;
    WriteDibHeader(out, s, s.height * 2);
    WriteRows(out, s, false);
    WriteAndMask(out, s);
    return std::move(out.Bytes());
}

Bytes IcoFile(const std::vector<ImageSpec>& images) { return IconDirFile(images, 1, 0, 0); }

Bytes CurFile(const std::vector<ImageSpec>& images, int hotX, int hotY) { return IconDirFile(images, 2, hotX, hotY); }

Bytes BmpFile(const ImageSpec& s)
{
    ByteWriter dib;
    WriteDibHeader(dib, s, s.topDown ? -s.height : s.height);
    const std::size_t bitsOffset = 14 + dib.Pos();
    WriteRows(dib, s, s.topDown);
    ByteWriter out;
    out.U16(0x4d42), out.U32(uint32_t(14 + dib.Pos())), out.U32(0), out.U32(uint32_t(bitsOffset));
    out.Append(dib.Bytes());
    return std::move(out.Bytes());
}

std::vector<GroupSpec> Groups(int n, const std::vector<ImageSpec>& images)
{
    std::vector<GroupSpec> groups;
    for (int g = 0; g < n; ++g) {
        GroupSpec group;
        for (ImageSpec s : images) {
            if (!s.pixel) {
                const int colors = s.bits >= 4 || s.png ? 16 : 2;
                s.pixel = Pattern(g, colors);
            }
            group.images.push_back(s);
        }
        groups.push_back(group);
    }
    return groups;
}

bool WriteFile(const std::string& path, const Bytes& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

void PutU16(Bytes& bytes, std::size_t at, uint16_t value)
{
    bytes.at(at) = uint8_t(value), bytes.at(at + 1) = uint8_t(value >> 8);
}

void PutU32(Bytes& bytes, std::size_t at, uint32_t value)
{
    PutU16(bytes, at, uint16_t(value)), PutU16(bytes, at + 2, uint16_t(value >> 16));
}

} // namespace orbisk::test
