#include "export/FastPngWriter.h"

#include <zlib.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace orbisk {

namespace {

constexpr uint8_t kSignature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n' };
// zlib's fastest level that still compresses; its default takes several
// times longer for a thumbnail a few per cent smaller.
constexpr int kLevel = 1;
// Compressed data goes out in IDAT chunks of at most this size.
constexpr std::size_t kChunkBytes = 64 * 1024;

void PutU32(uint8_t* at, uint32_t value)
{
    at[0] = uint8_t(value >> 24), at[1] = uint8_t(value >> 16), at[2] = uint8_t(value >> 8), at[3] = uint8_t(value);
}

void WriteChunk(OutputStream& out, const char (&type)[5], const uint8_t* data, std::size_t size)
{
    uint8_t head[8];
    PutU32(head, uint32_t(size));
    std::memcpy(head + 4, type, 4);
    uLong crc = crc32(0, head + 4, 4);
    if (size > 0)
        crc = crc32(crc, data, uInt(size));
    uint8_t tail[4];
    PutU32(tail, uint32_t(crc));
    out.WriteBuffer(head, sizeof head);
    out.WriteBuffer(data, size);
    out.WriteBuffer(tail, sizeof tail);
}

// A zlib stream whose output leaves as IDAT chunks.
class IdatStream {
public:
    explicit IdatStream(OutputStream& out)
        : out_(out)
    {
        if (deflateInit(&z_, kLevel) != Z_OK)
            throw EWriteError();
    }
    ~IdatStream() { deflateEnd(&z_); }
    IdatStream(const IdatStream&) = delete;
    IdatStream& operator=(const IdatStream&) = delete;

    void Write(const uint8_t* data, std::size_t size, bool last)
    {
        z_.next_in = const_cast<uint8_t*>(data);
        z_.avail_in = uInt(size);
        const int flush = last ? Z_FINISH : Z_NO_FLUSH;
        int status = Z_OK;
        do {
            z_.next_out = buffer_.data() + held_;
            z_.avail_out = uInt(buffer_.size() - held_);
            status = deflate(&z_, flush);
            if (status == Z_STREAM_ERROR)
                throw EWriteError();
            held_ = buffer_.size() - z_.avail_out;
            if (held_ == buffer_.size() || (last && status == Z_STREAM_END && held_ > 0)) {
                WriteChunk(out_, "IDAT", buffer_.data(), held_);
                held_ = 0;
            }
        } while (z_.avail_in > 0 || (last && status != Z_STREAM_END));
    }

private:
    OutputStream& out_;
    z_stream z_ {};
    std::array<uint8_t, kChunkBytes> buffer_ {};
    std::size_t held_ = 0;
};

} // namespace

void WriteFastPng(OutputStream& out, std::span<const uint32_t> argb, int width, int height)
{
    out.WriteBuffer(kSignature, sizeof kSignature);
    uint8_t header[13] = {};
    PutU32(header, uint32_t(width));
    PutU32(header + 4, uint32_t(height));
    header[8] = 8; // bits per sample
    header[9] = 6; // RGBA
    WriteChunk(out, "IHDR", header, sizeof header);

    IdatStream idat(out);
    // Each row: filter type 0 (none), then R, G, B, A per pixel.
    std::vector<uint8_t> row(1 + std::size_t(width) * 4);
    for (int y = 0; y < height; ++y) {
        const uint32_t* pixels = argb.data() + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &row[1 + std::size_t(x) * 4];
            p[0] = uint8_t(pixels[x] >> 16), p[1] = uint8_t(pixels[x] >> 8), p[2] = uint8_t(pixels[x]);
            p[3] = uint8_t(pixels[x] >> 24);
        }
        idat.Write(row.data(), row.size(), y + 1 == height);
    }
    WriteChunk(out, "IEND", nullptr, 0);
}

} // namespace orbisk
