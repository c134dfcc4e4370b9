#include "platform/extract/PngDecoder.h"

#include "platform/extract/ExtractLimits.h"

#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstring>

namespace orbisk {

namespace {

constexpr uint8_t kSignature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n' };

// Text and colour-profile chunks are inflated in memory; a file may not make
// that cost more than this.
constexpr png_alloc_size_t kMaxChunkBytes = 1024 * 1024;

struct Input {
    const uint8_t* bytes;
    std::size_t size;
    std::size_t at;
};

// The callbacks run inside libpng, which leaves through longjmp on an error:
// nothing here may need a destructor.
void ReadInput(png_structp png, png_bytep out, std::size_t length)
{
    auto* in = static_cast<Input*>(png_get_io_ptr(png));
    if (length > in->size - in->at)
        png_error(png, "cut short");
    std::memcpy(out, in->bytes + in->at, length);
    in->at += length;
}

void Ignore(png_structp, png_const_charp) {}

[[noreturn]] void Fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Asks libpng for rows of 0xAARRGGBB words of any PNG: palettes, grey,
// transparency keys and 16-bit samples are expanded or scaled, and the
// colours are left as stored (no gamma correction).
void RequestArgbWords(png_structp png, png_infop info)
{
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    if constexpr (std::endian::native == std::endian::little) {
        png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
        png_set_bgr(png);
    } else {
        png_set_add_alpha(png, 0xff, PNG_FILLER_BEFORE);
        png_set_swap_alpha(png);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// Reads the whole image into `rows`, which point into a buffer of `width`
// x `height` words; false on any error. Runs under setjmp, so it owns no
// object with a destructor.
bool ReadRows(png_structp png, png_infop info, Input* in, int width, int height, png_bytep* rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, in, ReadInput);
    png_read_info(png, info);
    if (png_get_image_width(png, info) != png_uint_32(width) || png_get_image_height(png, info) != png_uint_32(height))
        return false;
    RequestArgbWords(png, info);
    if (png_get_rowbytes(png, info) != std::size_t(width) * 4)
        return false;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

} // namespace

bool HasPngSignature(const ByteReader& head)
{
    auto sig = head.Bytes(0, sizeof(kSignature));
    return sig && std::memcmp(sig->data(), kSignature, sizeof(kSignature)) == 0;
}

Result<ImageInfo> ProbePng(const ByteReader& head)
{
    if (!HasPngSignature(head))
        return Error { "not a PNG image" };
    // The first chunk must be IHDR: length 13, then the name, width, height.
    auto length = head.U32BigEndian(8), name = head.U32BigEndian(12);
    auto width = head.U32BigEndian(16), height = head.U32BigEndian(20);
    if (!length || !name || !width || !height)
        return Error { "PNG header cut short" };
    if (*length != 13 || *name != 0x49484452u)
        return Error { "PNG without IHDR" };
    if (*width == 0 || *height == 0 || *width > uint32_t(kMaxImageSide) || *height > uint32_t(kMaxImageSide))
        return Error { "bad image size" };
    return ImageInfo { int(*width), int(*height), 32, true };
}

Result<DecodedImage> DecodePng(const ByteReader& bytes)
{
    ORBISK_TRY(info, ProbePng(bytes));
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Ignore);
    png_infop pngInfo = png ? png_create_info_struct(png) : nullptr;
    if (!pngInfo) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return Error { "out of memory" };
    }
    png_set_user_limits(png, png_uint_32(kMaxImageSide), png_uint_32(kMaxImageSide));
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    // Images some encoders write with a zlib window header that is too small
    // decode as they were meant to.
    png_set_option(png, PNG_MAXIMUM_INFLATE_WINDOW, PNG_OPTION_ON);

    DecodedImage out;
    out.width = info->width;
    out.height = info->height;
    out.argb.resize(std::size_t(out.width) * std::size_t(out.height));
    std::vector<png_bytep> rows(std::size_t(out.height));
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = reinterpret_cast<png_bytep>(out.argb.data() + y * std::size_t(out.width));
    const auto all = bytes.All();
    Input in { all.data(), all.size(), 0 };
    const bool read = ReadRows(png, pngInfo, &in, out.width, out.height, rows.data());
    png_destroy_read_struct(&png, &pngInfo, nullptr);
    if (!read)
        return Error { "undecodable PNG image" };
    out.mask.resize(out.argb.size());
    for (std::size_t i = 0; i < out.argb.size(); ++i)
        out.mask[i] = (out.argb[i] >> 24) < 128;
    return out;
}

} // namespace orbisk
