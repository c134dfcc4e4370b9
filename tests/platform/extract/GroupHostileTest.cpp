// Groups whose directories disagree with their images, images cut short or
// claiming absurd sizes, directories of thousands of entries: a group holds
// only images found whole, names the others, and stays within its caps.

#include "platform/extract/ExtractLimits.h"
#include "platform/extract/IconGroup.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace orbisk;
using namespace orbisk::test;

namespace {

constexpr std::size_t kEntry = 16; // ICONDIRENTRY
constexpr std::size_t kSizeField = 8, kOffsetField = 12;

std::size_t EntryAt(std::size_t i) { return 6 + kEntry * i; }

uint32_t GetU32(const Bytes& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

IconGroup ReadIco(const Bytes& file)
{
    auto group = ReadIconGroupFromBytes(file, 0);
    EXPECT_TRUE(group) << group.error();
    return group ? std::move(*group) : IconGroup {};
}

std::vector<uint32_t> LeftOutEntries(const IconGroup& group)
{
    std::vector<uint32_t> entries;
    for (const LeftOutImage& left : group.leftOut)
        entries.push_back(left.entry);
    return entries;
}

const ImageSpec kSmall { .width = 16, .height = 16, .bits = 8 };
const ImageSpec kPng { .width = 48, .height = 48, .pixel = AlphaPattern(5), .png = true };

} // namespace

TEST(GroupHostile, DirectoryThatDisagreesWithItsImages)
{
    const Bytes good = IcoFile({ kSmall, kPng, ImageSpec { .bits = 4 }, ImageSpec { .bits = 1 } });
    // Sizes and depths come from the images, not from the entries.
    Bytes lying = good;
    lying[EntryAt(0)] = 200, lying[EntryAt(0) + 1] = 7;
    PutU16(lying, EntryAt(0) + 6, 32);
    IconGroup group = ReadIco(lying);
    ASSERT_EQ(group.images.size(), 4u);
    EXPECT_EQ(group.images[0].width, 16);
    EXPECT_EQ(group.images[0].height, 16);
    EXPECT_EQ(group.images[0].bits, 8);

    // An entry pointing into another image, one running short of its image,
    // one past the end of the file: the first two are named, the third is
    // missing like an absent resource; the rest stay, in order.
    Bytes broken = good;
    PutU32(broken, EntryAt(0) + kOffsetField, GetU32(good, EntryAt(1) + kOffsetField) + 8);
    PutU32(broken, EntryAt(1) + kSizeField, GetU32(good, EntryAt(1) + kSizeField) - 13);
    PutU32(broken, EntryAt(2) + kOffsetField, uint32_t(good.size()));
    group = ReadIco(broken);
    ASSERT_EQ(group.images.size(), 1u);
    EXPECT_EQ(group.images[0].bytes, IconImage(ImageSpec { .bits = 1 }));
    EXPECT_EQ(LeftOutEntries(group), (std::vector<uint32_t> { 0, 1 }));

    // An entry claiming more bytes than its image takes keeps them: they are
    // what the file stores for it.
    Bytes generous = good;
    PutU32(generous, EntryAt(0) + kSizeField, GetU32(good, EntryAt(0) + kSizeField) + 20);
    group = ReadIco(generous);
    ASSERT_EQ(group.images.size(), 4u);
    EXPECT_EQ(group.images[0].bytes.size(), IconImage(kSmall).size() + 20);

    // A count larger than the directory: the entries that are there.
    Bytes counted = good;
    PutU16(counted, 4, 0xffff);
    EXPECT_EQ(ReadIco(counted).images.size(), 4u);
}

TEST(GroupHostile, PngAndDibImagesCutShortOrClaimingAbsurdSizes)
{
    const Bytes png = IconImage(kPng);
    // Cut anywhere, a PNG is left out: its last chunk is IEND's 12 bytes.
    for (std::size_t keep : { std::size_t(8), std::size_t(33), png.size() / 2, png.size() - 1 }) {
        ImageSpec cut = kPng;
        cut.encoded = std::make_shared<Bytes>(png.begin(), png.begin() + std::ptrdiff_t(keep));
        IconGroup group = ReadIco(IcoFile({ kSmall, cut }));
        EXPECT_EQ(group.images.size(), 1u) << keep;
        EXPECT_EQ(LeftOutEntries(group), std::vector<uint32_t> { 1 }) << keep;
    }
    // A PNG or a DIB claiming 65,535 pixels a side, or 1025.
    for (uint32_t side : { 65535u, 1025u }) {
        Bytes claims = png;
        claims[16] = uint8_t(side >> 24), claims[17] = uint8_t(side >> 16), claims[18] = uint8_t(side >> 8),
        claims[19] = uint8_t(side);
        ImageSpec bigPng = kPng;
        bigPng.encoded = std::make_shared<Bytes>(claims);
        Bytes dib = IconImage(kSmall);
        PutU32(dib, 4, side);
        ImageSpec bigDib = kSmall;
        bigDib.encoded = std::make_shared<Bytes>(dib);
        IconGroup group = ReadIco(IcoFile({ bigPng, kSmall, bigDib }));
        EXPECT_EQ(group.images.size(), 1u) << side;
        EXPECT_EQ(LeftOutEntries(group), (std::vector<uint32_t> { 0, 2 })) << side;
    }
    // A DIB whose AND mask is cut short decodes as an icon, but is not whole.
    const Bytes dib = IconImage(kSmall);
    ImageSpec noMask = kSmall;
    noMask.encoded = std::make_shared<Bytes>(dib.begin(), dib.end() - 1);
    EXPECT_EQ(ReadIco(IcoFile({ noMask })).leftOut.size(), 1u);
}

TEST(GroupHostile, ThousandsOfEntriesStayWithinTheCaps)
{
    // 5000 entries naming one 16-pixel image: the first kMaxGroupEntries.
    const Bytes small = IconImage(kSmall);
    auto repeated = [](const Bytes& image, uint16_t count) {
        Bytes file(6 + kEntry * count);
        PutU16(file, 2, 1), PutU16(file, 4, count);
        for (uint16_t i = 0; i < count; ++i) {
            PutU32(file, EntryAt(i) + kSizeField, uint32_t(image.size()));
            PutU32(file, EntryAt(i) + kOffsetField, uint32_t(file.size()));
        }
        file.insert(file.end(), image.begin(), image.end());
        return file;
    };
    EXPECT_EQ(ReadIco(repeated(small, 5000)).images.size(), kMaxGroupEntries);
    // Naming one 1024-pixel image: as many as the group's byte cap holds.
    const Bytes huge = IconImage(ImageSpec { .width = 1024, .height = 1024, .bits = 32 });
    const IconGroup group = ReadIco(repeated(huge, 5000));
    EXPECT_EQ(group.images.size(), kMaxGroupBytes / huge.size());
    EXPECT_EQ(group.images.size() + group.leftOut.size(), kMaxGroupEntries);
    const uint64_t held = std::accumulate(group.images.begin(), group.images.end(), uint64_t(0),
                                          [](uint64_t sum, const GroupImage& i) { return sum + i.bytes.size(); });
    EXPECT_LE(held, kMaxGroupBytes);

    // A program's group claiming 65,535 entries in a resource of three.
    PeLayout layout;
    Bytes exe = PeFile({ GroupSpec { { kSmall, kPng, kSmall } } }, PeKind::Pe32, &layout);
    PutU16(exe, layout.groupData[0] + 4, 0xffff);
    auto fromExe = ReadIconGroupFromBytes(exe, 0);
    ASSERT_TRUE(fromExe);
    EXPECT_EQ(fromExe->images.size(), 3u);
}
