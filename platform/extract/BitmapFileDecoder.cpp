// Bitmap (.bmp) files: one image, shown as the bitmap fitted into the icon
// square.

#include "platform/extract/DibDecoder.h"
#include "platform/extract/ExtractLimits.h"
#include "platform/extract/IconDecoders.h"
#include "platform/extract/IconRecords.h"

namespace orbisk {

namespace {

class BitmapFile final : public IconContainer {
public:
    explicit BitmapFile(ImageLocation image)
        : image_(image)
    {
    }
    uint32_t GroupCount() const override { return 1; }
    GroupKind Kind() const override { return GroupKind::Bitmap; }
    Result<std::vector<ImageLocation>> GroupImages(ByteSource&, uint32_t) override
    {
        return std::vector<ImageLocation> { image_ };
    }

private:
    ImageLocation image_;
};

// Largest DIB header (BITMAPV5HEADER) plus room for colour masks.
constexpr uint64_t kHeaderBytes = 124 + 16;

} // namespace

Result<ContainerPtr> OpenBitmapFile(ByteSource& source, const ByteReader& head)
{
    auto file = head.Record<BitmapFileHeader>(0);
    if (!file || file->type != 0x4d42 || source.Size() <= BitmapFileHeader::size)
        return Error { "not a bitmap file" };
    const uint64_t rest = source.Size() - BitmapFileHeader::size;
    ORBISK_TRY(header, source.Read(BitmapFileHeader::size, rest < kHeaderBytes ? rest : kHeaderBytes));
    ORBISK_TRY(g, ReadDibGeometry(ByteReader(*header), DibUse::BitmapFile));
    ImageLocation image;
    image.offset = BitmapFileHeader::size;
    image.bitmapFile = true;
    // The file header says where the pixels start. An offset inside the
    // headers is taken to mean right after the colour table; one at or past
    // the end of the file leaves no pixels to show.
    uint64_t pixels = g->pixelOffset;
    if (file->bitsOffset >= BitmapFileHeader::size + g->paletteOffset) {
        if (file->bitsOffset >= source.Size())
            return Error { "bitmap pixels outside the file" };
        image.pixelOffset = file->bitsOffset - BitmapFileHeader::size;
        pixels = *image.pixelOffset;
    }
    const bool rle = g->compression == BI_RLE4 || g->compression == BI_RLE8;
    // An RLE stream has no size of its own: take what the file holds.
    const uint64_t wanted = rle ? rest : pixels + g->xorBytes;
    image.size = wanted < rest ? wanted : rest;
    if (image.size > kMaxReadBytes)
        image.size = rle ? kMaxReadBytes : 0;
    if (image.size == 0)
        return Error { "bitmap too large" };
    return ContainerPtr(new BitmapFile(image));
}

} // namespace orbisk
