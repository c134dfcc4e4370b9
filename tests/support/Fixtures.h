#pragma once

// Builds icon, cursor, bitmap, PE32, PE32+ and NE files with known pixels, in
// code, for tests and benchmarks. Every image is described by an ImageSpec;
// ExpectedPixel says what a decoder must give back for it.
//
//   auto ico = IcoFile({ ImageSpec { .width = 16, .bits = 4 }, ImageSpec {} });
//   auto dll = PeFile(Groups(3, { ImageSpec { .width = 16 }, ImageSpec {} }));
//   WriteFile(dir + "/a.dll", dll);

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orbisk::test {

using Bytes = std::vector<uint8_t>;
// A pixel as 0xAARRGGBB (straight alpha).
using PixelFn = std::function<uint32_t(int x, int y)>;
// True where the background shows through (an AND-mask bit of 1).
using MaskFn = std::function<bool(int x, int y)>;

// An opaque pattern of blocks in `colors` distinct colours, different for
// each seed. With colors <= 2^bits it survives every indexed depth exactly.
PixelFn Pattern(int seed, int colors = 16);
// A pattern whose alpha varies (for 32-bit and PNG images).
PixelFn AlphaPattern(int seed);

struct ImageSpec {
    int width = 32;
    int height = 32;
    int bits = 32; // 1, 4, 8, 16, 24 or 32 (ignored for PNG)
    PixelFn pixel = {}; // default: Pattern(0, min(2^bits, 16))
    MaskFn mask = {}; // default: alpha below 128
    bool png = false; // store the image as a PNG file
    bool coreHeader = false; // BITMAPCOREHEADER with RGBTRIPLE colours
    bool zeroAlpha = false; // 32 bits: alpha bytes all 0 (the mask decides)
    bool bitfields = false; // 16/32 bits: BI_BITFIELDS with the usual masks
    uint32_t clrUsed = 0; // indexed: colour-table entries written (0: all)
    bool topDown = false; // bitmap files only: negative height
    // Stored as they are instead of an image built from the fields above
    // (which still fill the directory entries): for damaged images, and to
    // build large files fast from images made once with IconImage.
    std::shared_ptr<const Bytes> encoded = {};
};

// The pixel a decoder gives back for (x, y) of the image, before any scaling:
// colours through the colour table or 5-5-5, alpha from the mask unless the
// image carries alpha of its own.
uint32_t ExpectedPixel(const ImageSpec& shape, int x, int y);
// All of them at once, top-down rows (far faster for indexed images).
std::vector<uint32_t> ExpectedPixels(const ImageSpec& shape);
// The mask bit a decoder gives back for (x, y).
bool ExpectedMask(const ImageSpec& shape, int x, int y);

// One icon image as stored in an icon file or RT_ICON resource: a DIB with
// doubled height, colour rows then AND mask, or a PNG file.
Bytes IconImage(const ImageSpec& shape);

// Icon file (type 1) or cursor file (type 2, hot spot in planes/bit count).
Bytes IcoFile(const std::vector<ImageSpec>& images);
Bytes CurFile(const std::vector<ImageSpec>& images, int hotX = 0, int hotY = 0);
// A .bmp file: BITMAPFILEHEADER and the DIB (no mask).
Bytes BmpFile(const ImageSpec& shape);

struct GroupSpec {
    std::vector<ImageSpec> images;
    std::string name = {}; // not empty: a named group
    uint16_t id = 0; // a numeric group's id; 0: its position + 1
    std::vector<uint16_t> missingIcons = {}; // entries naming absent RT_ICON ids
};

// `n` numeric groups, each holding `images` drawn with Pattern(group index).
std::vector<GroupSpec> Groups(int n, const std::vector<ImageSpec>& images);

// File offsets of a built PE file's parts, for tests that damage them.
struct PeLayout {
    uint32_t peHeader = 0; // "PE\0\0"
    uint32_t optionalHeader = 0;
    uint32_t sectionTable = 0;
    uint32_t resourceRoot = 0; // the root IMAGE_RESOURCE_DIRECTORY
    uint32_t resourceRva = 0;
    uint32_t iconTypeDirectory = 0;
    uint32_t groupTypeDirectory = 0;
    std::vector<uint32_t> groupEntry; // the group's entry in its type directory
    std::vector<uint32_t> groupData; // its GRPICONDIR
    std::vector<uint32_t> iconData; // every RT_ICON image, by id - 1
};
enum class PeKind { Pe32, Pe32Plus };
// Groups are stored named first, then numeric, each in the order given.
// RT_ICON ids are 1, 2, ... in the order of the groups' images.
Bytes PeFile(const std::vector<GroupSpec>& groups, PeKind kind = PeKind::Pe32, PeLayout* layout = nullptr);

struct NeLayout {
    uint32_t neHeader = 0;
    uint32_t resourceTable = 0;
    std::vector<uint32_t> groupNameInfo; // NAMEINFO of each group, as stored
    std::vector<uint32_t> groupData;
};
// A 16-bit NE file (as icon libraries are), alignment shift 4.
Bytes NeFile(const std::vector<GroupSpec>& groups, NeLayout* layout = nullptr);

// Writes bytes to a file, replacing it; false on failure.
bool WriteFile(const std::string& path, const Bytes& bytes);

// Little-endian patching for tests that damage built files.
void PutU16(Bytes& bytes, std::size_t at, uint16_t value);
void PutU32(Bytes& bytes, std::size_t at, uint32_t value);

} // namespace orbisk::test
