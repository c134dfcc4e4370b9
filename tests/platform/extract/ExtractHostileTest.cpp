// Damaged and hostile files give fewer icons or none: never a crash, a hang
// or a read outside the file. Each limit is tried where it just fits, one
// byte over, and absurd.

#include "platform/extract/ExtractIcon.h"
#include "platform/extract/FileSource.h"
#include "platform/extract/IconGroup.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace orbisk;
using namespace orbisk::test;

namespace {

int CountIcons(const Bytes& bytes)
{
    int n = 0;
    while (n < 1000 && ExtractIconFromBytes(bytes, n, nullptr))
        ++n;
    return n;
}

uint32_t GetU32(const Bytes& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

const std::vector<ImageSpec> kSmallImages { ImageSpec { .width = 16, .height = 16, .bits = 4 },
                                            ImageSpec { .width = 8, .height = 8, .bits = 32 } };

// A 32 x 32 PNG, or any size with a different IHDR width.
Bytes PngWithWidth(uint32_t width)
{
    Bytes png = IconImage(ImageSpec { .width = 1024, .height = 1, .png = true });
    png[16] = uint8_t(width >> 24), png[17] = uint8_t(width >> 16), png[18] = uint8_t(width >> 8), png[19] = uint8_t(width);
    return png;
}

// The pixels of every icon of a file, one after another.
std::vector<uint32_t> IconPixels(const Bytes& bytes)
{
    std::vector<uint32_t> pixels;
    for (int n = 0; n < 1000; ++n) {
        UniqueIcon icon = ExtractIconFromBytes(bytes, n, nullptr);
        if (!icon)
            break;
        pixels.insert(pixels.end(), icon->color.begin(), icon->color.end());
    }
    return pixels;
}

} // namespace

TEST(ExtractHostile, TruncatedFilesLoseIconsOnly)
{
    // Each file with the length by which every byte an icon needs is there:
    // a cut before it may lose the icon, a cut after it must not.
    struct File {
        const char* name;
        Bytes bytes;
        std::vector<std::size_t> complete;
    };
    std::vector<File> files;
    for (const auto& [name, ico] : { std::pair { "ico", IcoFile(kSmallImages) }, { "cur", CurFile(kSmallImages) } })
        files.push_back({ name, ico, { GetU32(ico, 6 + 12) + std::size_t(GetU32(ico, 6 + 8)) } });
    // The bitmap's pixels end the file.
    files.push_back({ "bmp", BmpFile(ImageSpec { .width = 12, .height = 7, .bits = 8 }), {} });
    // Programs keep their images first and their groups last; one group
    // record is 6 bytes and 14 per image.
    const std::size_t groupBytes = 6 + 14 * kSmallImages.size();
    for (PeKind kind : { PeKind::Pe32, PeKind::Pe32Plus }) {
        PeLayout l;
        File pe { kind == PeKind::Pe32 ? "pe32" : "pe32+", PeFile(Groups(3, kSmallImages), kind, &l), {} };
        for (uint32_t at : l.groupData)
            pe.complete.push_back(at + groupBytes);
        files.push_back(pe);
    }
    NeLayout n;
    File ne { "ne", NeFile(Groups(3, kSmallImages), &n), {} };
    for (uint32_t at : n.groupData)
        ne.complete.push_back(at + groupBytes);
    files.push_back(ne);

    for (const File& f : files) {
        SCOPED_TRACE(f.name);
        const int all = CountIcons(f.bytes);
        EXPECT_EQ(all, std::max<int>(1, int(f.complete.size())));
        for (std::size_t length = 0; length < f.bytes.size(); length += 3) {
            const Bytes cut(f.bytes.begin(), f.bytes.begin() + std::ptrdiff_t(length));
            const int kept = int(std::count_if(f.complete.begin(), f.complete.end(),
                                               [&](std::size_t end) { return end <= length; }));
            const int n = CountIcons(cut);
            EXPECT_LE(n, all) << length;
            EXPECT_GE(n, kept) << length;
        }
    }
    EXPECT_EQ(LiveIconCount(), 0);
}

TEST(ExtractHostile, IconFileOffsetsAndSizes)
{
    const ImageSpec shape { .bits = 8 };
    const Bytes good = IcoFile({ shape });
    const uint32_t imageSize = GetU32(good, 6 + 8), imageOffset = GetU32(good, 6 + 12);
    ASSERT_EQ(imageOffset + imageSize, good.size()); // the image ends the file exactly
    EXPECT_EQ(CountIcons(good), 1);
    for (uint32_t size : { imageSize + 1, 0xffffffffu }) { // claims more than the file holds
        Bytes b = good;
        PutU32(b, 6 + 8, size);
        EXPECT_EQ(CountIcons(b), 1) << size;
    }
    for (uint32_t offset : { uint32_t(good.size()), uint32_t(good.size()) + 1, 0xffffffffu }) {
        Bytes b = good;
        PutU32(b, 6 + 12, offset);
        EXPECT_EQ(CountIcons(b), 0) << offset;
    }
    // The colour rows must be complete; a short AND mask counts as clear.
    Bytes cut(good.begin(), good.end() - 128 - 1);
    EXPECT_EQ(CountIcons(cut), 0);
    cut.assign(good.begin(), good.end() - 1);
    EXPECT_EQ(CountIcons(cut), 1);
    // Far more entries than the file holds.
    Bytes many = good;
    PutU16(many, 4, 0xffff);
    EXPECT_EQ(CountIcons(many), 1);
}

TEST(ExtractHostile, ImageSizesUpToTheLimit)
{
    // A DIB 1024 pixels wide is decoded; 1025 and absurd widths are not.
    for (auto [width, icons] : { std::pair { 1024u, 1 }, { 1025u, 0 }, { 0x7fffffffu, 0 }, { 0xffffffffu, 0 } }) {
        ImageSpec shape { .width = 1024, .height = 1, .bits = 1 };
        Bytes image = IconImage(shape);
        PutU32(image, 4, width);
        shape.encoded = std::make_shared<Bytes>(image);
        EXPECT_EQ(CountIcons(IcoFile({ shape })), icons) << width;
        // The same through the PNG header.
        ImageSpec png { .width = 1024, .height = 1, .png = true };
        png.encoded = std::make_shared<Bytes>(PngWithWidth(width));
        EXPECT_EQ(CountIcons(IcoFile({ png })), icons) << "png " << width;
    }
    // A DIB height beyond the limit, and a colour table claiming 2^32 colours.
    ImageSpec tall { .width = 4, .height = 4, .bits = 24 };
    Bytes image = IconImage(tall);
    PutU32(image, 8, 2 * 1025);
    tall.encoded = std::make_shared<Bytes>(image);
    EXPECT_EQ(CountIcons(IcoFile({ tall })), 0);
    for (int bits : { 8, 24 }) {
        ImageSpec colors { .width = 4, .height = 4, .bits = bits };
        image = IconImage(colors);
        PutU32(image, 32, 0xffffffffu);
        colors.encoded = std::make_shared<Bytes>(image);
        // Eight bits: the table cannot hold more than 256 entries, so the
        // count is capped; deeper images would have to skip 16 GB.
        EXPECT_EQ(CountIcons(IcoFile({ colors })), bits == 8 ? 1 : 0) << bits;
    }
}

TEST(ExtractHostile, PeHeadersWithAbsurdFields)
{
    PeLayout l;
    const Bytes good = PeFile(Groups(2, kSmallImages), PeKind::Pe32, &l);
    const std::vector<uint32_t> want = IconPixels(good);
    ASSERT_EQ(want.size(), 2u * 32 * 32);
    const uint32_t opt = l.optionalHeader, dirs = opt + 96, section = l.sectionTable;
    struct Patch {
        const char* what;
        std::size_t at;
        uint32_t value;
        bool wide;
        bool intact; // both icons as before, or none
    };
    const Patch patches[] = {
        { "e_lfanew past the end", 0x3c, uint32_t(good.size()), true, false },
        { "e_lfanew absurd", 0x3c, 0xffffffffu, true, false },
        { "e_lfanew at the last bytes", 0x3c, uint32_t(good.size() - 4), true, false },
        { "sections absurd", l.peHeader + 6, 0xffff, false, false },
        { "no sections", l.peHeader + 6, 0, false, false },
        { "optional header absurd", l.peHeader + 20, 0xffff, false, false },
        { "optional header empty", l.peHeader + 20, 0, false, false },
        { "unknown magic", opt, 0x10c, false, false },
        { "two data directories", dirs - 4, 2, true, false },
        { "data directories absurd", dirs - 4, 0xffffffffu, true, true },
        { "resource RVA absurd", dirs + 16, 0xffffffffu, true, false },
        { "resource RVA past the section", dirs + 16, 0x1000 + 0x100000, true, false },
        { "section RVA absurd", section + 12, 0xffffffffu, true, false },
        { "section RVA a page later", section + 12, 0x2000, true, false },
        { "raw data pointer absurd", section + 20, 0xffffffffu, true, false },
        { "raw data pointer past the end", section + 20, uint32_t(good.size()), true, false },
        { "raw size absurd", section + 16, 0xffffffffu, true, true },
        { "raw size zero", section + 16, 0, true, false },
        { "virtual size zero", section + 8, 0, true, true },
        { "root entries absurd", l.resourceRoot + 14, 0xffff, false, true },
        { "group entries absurd", l.groupTypeDirectory + 14, 0xffff, false, true },
        { "named group entries absurd", l.groupTypeDirectory + 12, 0xffff, false, true },
        { "group count absurd", l.groupData[0] + 4, 0xffff, false, true },
        { "icon entries absurd", l.iconTypeDirectory + 14, 0xffff, false, true },
    };
    for (const Patch& p : patches) {
        Bytes b = good;
        if (p.wide)
            PutU32(b, p.at, p.value);
        else
            PutU16(b, p.at, uint16_t(p.value));
        EXPECT_TRUE(IconPixels(b) == (p.intact ? want : std::vector<uint32_t> {})) << p.what;
    }
    // Sizes in the data entries: a group's data size of 0xffffffff is cut
    // at the end of the file and still names its images.
    Bytes b = good;
    const uint32_t language = GetU32(b, l.groupEntry[0] + 4) & 0x7fffffffu;
    const uint32_t dataEntry = l.resourceRoot + GetU32(b, l.resourceRoot + language + 20);
    PutU32(b, dataEntry + 4, 0xffffffffu);
    EXPECT_TRUE(IconPixels(b) == want);
    PutU32(b, dataEntry, 0xffffffffu); // its RVA: the first group is gone
    EXPECT_TRUE(IconPixels(b) == std::vector<uint32_t>(want.begin() + 32 * 32, want.end()));
}

TEST(ExtractHostile, ResourceDirectoryCycles)
{
    PeLayout l;
    const Bytes good = PeFile(Groups(3, kSmallImages), PeKind::Pe32Plus, &l);
    ASSERT_EQ(CountIcons(good), 3);
    const uint32_t groupType = l.groupTypeDirectory - l.resourceRoot;
    const uint32_t iconType = l.iconTypeDirectory - l.resourceRoot;
    const std::size_t rootEntries = l.resourceRoot + 16;
    const uint32_t language = GetU32(good, l.groupEntry[0] + 4) & 0x7fffffffu;
    struct Patch {
        const char* what;
        std::size_t at;
        uint32_t value;
        int icons;
    };
    const Patch patches[] = {
        { "group type is the root", rootEntries + 12, 0x80000000u, 0 },
        { "icon type is the root", rootEntries + 4, 0x80000000u, 0 },
        { "group names the group type", l.groupEntry[0] + 4, 0x80000000u | groupType, 2 },
        { "group names the root", l.groupEntry[1] + 4, 0x80000000u, 2 },
        { "language is the root", l.resourceRoot + language + 20, 0x80000000u, 2 },
        { "language is itself", l.resourceRoot + language + 20, 0x80000000u | language, 2 },
        { "icons are the groups", rootEntries + 4, 0x80000000u | groupType, 0 },
        { "groups are the icons", rootEntries + 12, 0x80000000u | iconType, 0 },
    };
    for (const Patch& p : patches) {
        Bytes b = good;
        PutU32(b, p.at, p.value);
        EXPECT_EQ(CountIcons(b), p.icons) << p.what;
    }
}

TEST(ExtractHostile, NeTablesWithAbsurdFields)
{
    NeLayout l;
    const Bytes good = NeFile(Groups(2, kSmallImages), &l);
    ASSERT_EQ(CountIcons(good), 2);
    struct Patch {
        const char* what;
        std::size_t at;
        uint16_t value;
        int icons;
    };
    const Patch patches[] = {
        { "alignment shift 0", l.resourceTable, 0, 0 },
        { "alignment shift absurd", l.resourceTable, 0xffff, 0 },
        { "icon count absurd", l.resourceTable + 4, 0xffff, 0 },
        { "resource table past the end", l.neHeader + 0x24, 0xffff, 0 },
        { "resource table end before its start", l.neHeader + 0x26, 0, 2 },
        { "group offset past the end", l.groupNameInfo[0], 0xffff, 1 },
        { "group length absurd", l.groupNameInfo[0] + 2, 0xffff, 2 },
        { "group named by an offset past the table", l.groupNameInfo[1] + 6, 0x7fff, 2 },
    };
    for (const Patch& p : patches) {
        Bytes b = good;
        PutU16(b, p.at, p.value);
        EXPECT_EQ(CountIcons(b), p.icons) << p.what;
    }
}

TEST(ExtractHostile, BitmapPixelsOutsideTheFile)
{
    // 4 x 4 at 24 bits: 48 bytes of pixels end the file.
    const Bytes good = BmpFile(ImageSpec { .width = 4, .height = 4, .bits = 24 });
    const uint32_t pixels = GetU32(good, 10), size = uint32_t(good.size());
    ASSERT_EQ(pixels + 48, size);
    // An offset inside the headers means right after them, as old writers
    // meant it; any offset that leaves the pixels short gives no icon, and
    // none is decoded from somewhere else instead.
    for (auto [offset, icons] : { std::pair { pixels, 1 }, { 0u, 1 }, { pixels + 1, 0 }, { size - 1, 0 }, { size, 0 },
                                  { size + 1, 0 }, { 0xffffffffu, 0 } }) {
        Bytes b = good;
        PutU32(b, 10, offset);
        EXPECT_EQ(CountIcons(b), icons) << offset;
    }
}

TEST(ExtractHostile, GroupsNamingOneBrokenImageCostOneDecodeEach)
{
    // Group 1 is sound. Each further group names one image 256 times whose
    // header promises 1024 x 1024 pixels that the 20,000 bytes behind it do
    // not hold: reading it for every entry of every group would read 1.3 GB.
    ImageSpec broken { .width = 1024, .height = 1024, .bits = 32 };
    Bytes image = IconImage(ImageSpec { .width = 4, .height = 4, .bits = 32 });
    PutU32(image, 4, 1024), PutU32(image, 8, 2048);
    image.resize(20000);
    broken.encoded = std::make_shared<Bytes>(image);
    std::vector<GroupSpec> groups { { { ImageSpec {} } }, { { broken } } };
    for (int g = 0; g < 254; ++g)
        groups.push_back({ .images = {}, .missingIcons = std::vector<uint16_t>(256, 2) });
    const Bytes file = PeFile(groups);

    TempDir dir;
    const std::string path = dir.Write("broken.dll", file);
    const uint64_t before = ExtractBytesRead();
    EXPECT_TRUE(ExtractIconDetailed(path, 0, nullptr));
    EXPECT_FALSE(ExtractIconDetailed(path, 1, nullptr));
    // The file once, and the broken image at most once per group.
    EXPECT_LE(ExtractBytesRead() - before, file.size() + groups.size() * image.size());
    // The same when the groups are only numbered, as for reading group 1.
    const std::string again = dir.Write("again.dll", file);
    const uint64_t start = ExtractBytesRead();
    EXPECT_FALSE(ReadIconGroup(again, 1));
    EXPECT_LE(ExtractBytesRead() - start, file.size() + groups.size() * image.size());
}
