// Run-length encoded bitmaps (BI_RLE8, BI_RLE4), which only .bmp files use.
// Pixels the runs never reach take colour 0 of the table, as on a fresh
// device.

#include "platform/extract/DibDecoder.h"
#include "platform/extract/IconRecords.h"

#include <algorithm>
#include <vector>

namespace orbisk {

namespace {

class RleCanvas {
public:
    RleCanvas(const DibGeometry& g, const std::vector<uint32_t>& palette)
        : g_(g)
        , palette_(palette)
    {
        out_.width = g.width;
        out_.height = g.height;
        out_.argb.assign(std::size_t(g.width) * std::size_t(g.height), palette[0]);
        out_.mask.assign(out_.argb.size(), 0);
    }
    // Draws a run of n pixels, pixel i of colour index(i). The part past the
    // row's end is dropped: a run never wraps, and a hostile stream costs no
    // more than its own length and the image's pixels.
    template <class IndexOf>
    void Run(int n, IndexOf index)
    {
        const int visible = std::min(n, g_.width - x_);
        // Stored rows run bottom-up.
        uint32_t* row = out_.argb.data() + std::size_t(g_.height - 1 - y_) * std::size_t(g_.width);
        for (int i = 0; i < visible; ++i)
            row[x_ + i] = palette_[index(i)];
        x_ += visible;
    }
    void NextLine() { x_ = 0, ++y_; }
    void Move(int dx, int dy) { x_ = std::min(x_ + dx, g_.width), y_ += dy; }
    bool Done() const { return y_ >= g_.height; }
    DecodedImage Take() { return std::move(out_); }

private:
    const DibGeometry& g_;
    const std::vector<uint32_t>& palette_;
    DecodedImage out_;
    int x_ = 0; // never past the row's end
    int y_ = 0; // drawn only while below the height
};

// Index of pixel i of a run whose byte holds two 4-bit indices (RLE4) or one.
uint8_t RunIndex(uint8_t value, int i, bool four)
{
    if (!four)
        return value;
    return uint8_t((i & 1) ? value & 0xf : value >> 4);
}

} // namespace

Result<DecodedImage> DecodeRleBitmap(const ByteReader& bytes, const DibGeometry& g, const std::vector<uint32_t>& palette)
{
    const bool four = g.compression == BI_RLE4;
    RleCanvas canvas(g, palette);
    uint64_t at = g.pixelOffset;
    if (!bytes.Fits(at, 2))
        return Error { "run-length bitmap without pixels" };
    while (!canvas.Done()) {
        auto count = bytes.U8(at), value = bytes.U8(at + 1);
        if (!count || !value)
            break; // a stream cut short keeps what it drew
        at += 2;
        if (*count > 0) {
            canvas.Run(*count, [&](int i) { return RunIndex(*value, i, four); });
            continue;
        }
        if (*value == 0) {
            canvas.NextLine();
        } else if (*value == 1) {
            break;
        } else if (*value == 2) {
            auto dx = bytes.U8(at), dy = bytes.U8(at + 1);
            if (!dx || !dy)
                break;
            at += 2;
            canvas.Move(*dx, *dy);
        } else {
            const int n = *value;
            const uint64_t used = four ? (uint64_t(n) + 1) / 2 : uint64_t(n);
            auto run = bytes.Bytes(at, used);
            if (!run)
                break;
            canvas.Run(n, [&](int i) { return RunIndex((*run)[std::size_t(four ? i / 2 : i)], i, four); });
            at += (used + 1) & ~uint64_t(1);
        }
    }
    return canvas.Take();
}

} // namespace orbisk
