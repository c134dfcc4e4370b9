// Whole groups: every image in stored order and byte for byte, numbered as
// the icons are; cursors apart, with their hot spots.

#include "platform/extract/ExtractIcon.h"
#include "platform/extract/IconGroup.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

// 16, 32 and 48 pixel DIBs at several depths and a 256-pixel PNG, stored in
// no particular order.
const std::vector<ImageSpec> kFullGroup {
    ImageSpec { .width = 48, .height = 48, .bits = 32, .pixel = AlphaPattern(1) },
    ImageSpec { .width = 16, .height = 16, .bits = 4 },
    ImageSpec { .width = 256, .height = 256, .pixel = AlphaPattern(2), .png = true },
    ImageSpec { .width = 32, .height = 32, .bits = 8 },
    ImageSpec { .width = 16, .height = 16, .bits = 1 },
    ImageSpec { .width = 32, .height = 32, .bits = 32, .pixel = AlphaPattern(3) },
    ImageSpec { .width = 48, .height = 48, .bits = 24 },
};

Bytes Build(const std::string& kind, const std::vector<GroupSpec>& groups, const std::vector<GroupSpec>& cursors = {})
{
    if (kind == "ne")
        return NeFile(groups, nullptr, cursors);
    return PeFile(groups, kind == "pe32+" ? PeKind::Pe32Plus : PeKind::Pe32, nullptr, cursors);
}

// The group holds exactly these images, in this order, byte for byte.
void ExpectImages(const IconGroup& group, const std::vector<ImageSpec>& specs)
{
    ASSERT_EQ(group.images.size(), specs.size());
    for (std::size_t i = 0; i < specs.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "image " << i);
        const GroupImage& image = group.images[i];
        EXPECT_EQ(image.width, specs[i].width);
        EXPECT_EQ(image.height, specs[i].height);
        EXPECT_EQ(image.bits, specs[i].png ? 32 : specs[i].bits);
        EXPECT_EQ(image.format, specs[i].png ? ImageFormat::Png : ImageFormat::Dib);
        EXPECT_EQ(image.bytes, IconImage(specs[i]));
    }
}

GroupSpec OneColor(uint32_t color)
{
    return GroupSpec { { ImageSpec { .bits = 24, .pixel = [color](int, int) { return color; } } } };
}

class IconGroups : public testing::TestWithParam<std::string> {
protected:
    TempDir dir_;
};

} // namespace

TEST_P(IconGroups, EveryImageInStoredOrderByteForByte)
{
    const Bytes file = Build(GetParam(), { OneColor(0xff102030), GroupSpec { kFullGroup } });
    auto group = ReadIconGroupFromBytes(file, 1);
    ASSERT_TRUE(group) << group.error();
    EXPECT_EQ(group->kind, GroupKind::Icon);
    EXPECT_TRUE(group->leftOut.empty());
    ExpectImages(*group, kFullGroup);
    // Each image decodes at its own size to the pixels it was made of.
    for (std::size_t i = 0; i < kFullGroup.size(); ++i) {
        auto decoded = DecodeGroupImage(*group, i);
        ASSERT_TRUE(decoded) << i;
        EXPECT_EQ(decoded->width, kFullGroup[i].width);
        EXPECT_EQ(decoded->argb, ExpectedPixels(kFullGroup[i])) << i;
    }
    EXPECT_EQ(LargestImage(*group), 2u);
}

TEST_P(IconGroups, NumberedAsExtractIconNumbersIcons)
{
    GroupSpec allMissing { {}, {}, 0, { 500, 501 } };
    GroupSpec garbage = OneColor(0xff0000ee);
    garbage.images[0].encoded = std::make_shared<Bytes>(Bytes(64, 0x5a));
    const std::vector<ImageSpec> kept { ImageSpec { .width = 16, .height = 16, .bits = 8 }, ImageSpec { .bits = 4 } };
    GroupSpec someMissing { kept, {}, 0, { 600 } };
    // Its smallest image is cut short: the group yields through the other.
    GroupSpec smallestCut = OneColor(0xff000005);
    ImageSpec cut { .width = 8, .height = 8, .bits = 8 };
    const Bytes whole = IconImage(cut);
    cut.encoded = std::make_shared<Bytes>(whole.begin(), whole.end() - 40);
    smallestCut.images.insert(smallestCut.images.begin(), cut);
    const std::vector<GroupSpec> groups { OneColor(0xff000001), allMissing, garbage, someMissing, smallestCut };
    const std::string path = dir_.Write("gaps", Build(GetParam(), groups));

    // Icons first, as the scan asks for them: the group reader shares what
    // they learnt about the file.
    for (int n = 0; n < 3; ++n)
        ASSERT_TRUE(ExtractIconDetailed(path, n, nullptr)) << n;
    EXPECT_FALSE(ExtractIconDetailed(path, 3, nullptr));
    // Asked for out of order, from what the icons learnt and afresh.
    const std::vector<ImageSpec> wanted[] = { groups[0].images, kept, { groups[4].images[1] } };
    for (int n : { 2, 1, 0 }) {
        SCOPED_TRACE(n);
        auto fromFile = ReadIconGroup(path, n);
        ASSERT_TRUE(fromFile);
        ExpectImages(*fromFile, wanted[n]); // missing and broken members leave the rest
        auto fresh = ReadIconGroupFromBytes(Build(GetParam(), groups), n);
        ASSERT_TRUE(fresh);
        ExpectImages(*fresh, wanted[n]);
    }
    EXPECT_FALSE(ReadIconGroup(path, 3));
    EXPECT_FALSE(ReadIconGroup(path, -1));
}

TEST_P(IconGroups, CursorGroupsKeepTheirHotSpotsAndStayOutOfTheIcons)
{
    const std::vector<ImageSpec> shapes {
        ImageSpec { .width = 32, .height = 32, .bits = 1 },
        ImageSpec { .width = 48, .height = 48, .bits = 32, .pixel = AlphaPattern(4) },
    };
    std::vector<GroupSpec> cursors;
    for (uint16_t c = 0; c < 3; ++c) {
        GroupSpec g { shapes };
        g.hotspots = { { uint16_t(c + 1), uint16_t(2 * c + 3) }, { uint16_t(40 + c), 47 } };
        cursors.push_back(g);
    }
    const Bytes file = Build(GetParam(), { OneColor(0xff000001), OneColor(0xff000002) }, cursors);

    EXPECT_TRUE(ExtractIconFromBytes(file, 1, nullptr));
    EXPECT_FALSE(ExtractIconFromBytes(file, 2, nullptr)); // cursors never become icons
    for (int c = 0; c < 3; ++c) {
        SCOPED_TRACE(c);
        auto group = ReadCursorGroupFromBytes(file, c);
        ASSERT_TRUE(group) << group.error();
        EXPECT_EQ(group->kind, GroupKind::Cursor);
        ExpectImages(*group, shapes);
        EXPECT_EQ(group->images[0].hotspot, (Hotspot { uint16_t(c + 1), uint16_t(2 * c + 3) }));
        EXPECT_EQ(group->images[1].hotspot, (Hotspot { uint16_t(40 + c), 47 }));
    }
    EXPECT_FALSE(ReadCursorGroupFromBytes(file, 3));
    // A library of cursors alone has no icons, and its cursors all the same.
    const Bytes cursorsOnly = Build(GetParam(), {}, cursors);
    EXPECT_FALSE(ExtractIconFromBytes(cursorsOnly, 0, nullptr));
    EXPECT_TRUE(ReadCursorGroupFromBytes(cursorsOnly, 2));
}

INSTANTIATE_TEST_SUITE_P(Formats, IconGroups, testing::Values("pe32", "pe32+", "ne"),
                         [](const auto& info) { return info.param == "pe32+" ? "pe32plus" : info.param; });

TEST(IconGroupFiles, IconAndCursorFilesAreOneGroupAndBitmapsOneImage)
{
    const std::vector<ImageSpec> shapes { kFullGroup[2], kFullGroup[1], kFullGroup[3] };
    const Bytes ico = IcoFile(shapes);
    auto icons = ReadIconGroupFromBytes(ico, 0);
    ASSERT_TRUE(icons);
    EXPECT_EQ(icons->kind, GroupKind::Icon);
    ExpectImages(*icons, shapes);
    EXPECT_FALSE(ReadIconGroupFromBytes(ico, 1));
    EXPECT_FALSE(ReadCursorGroupFromBytes(ico, 0));

    const Bytes cur = CurFile(shapes, 9, 30);
    for (auto read : { ReadIconGroupFromBytes, ReadCursorGroupFromBytes }) {
        auto cursor = read(cur, 0);
        ASSERT_TRUE(cursor);
        EXPECT_EQ(cursor->kind, GroupKind::Cursor);
        ExpectImages(*cursor, shapes);
        for (const GroupImage& image : cursor->images)
            EXPECT_EQ(image.hotspot, (Hotspot { 9, 30 }));
    }

    const ImageSpec picture { .width = 20, .height = 12, .bits = 8 };
    const Bytes bmp = BmpFile(picture);
    auto bitmap = ReadIconGroupFromBytes(bmp, 0);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->kind, GroupKind::Bitmap);
    ASSERT_EQ(bitmap->images.size(), 1u);
    EXPECT_EQ(bitmap->images[0].bytes, bmp);
    auto decoded = DecodeGroupImage(*bitmap, 0);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width, 20);
    EXPECT_EQ(decoded->height, 12);
    EXPECT_EQ(decoded->argb[5 * 20 + 7] & 0xffffffu, ExpectedPixel(picture, 7, 5) & 0xffffffu);
    EXPECT_FALSE(ReadCursorGroupFromBytes(bmp, 0));
}
