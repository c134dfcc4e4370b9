// One image of a group as a PNG, the clipboard's largest image, and the
// sizes a cell's tooltip lists.

#include "export/GroupFileWriter.h"
#include "export/GroupPng.h"
#include "export/IconResourceText.h"
#include "export/IconSizesText.h"
#include "fixtures/Fixtures.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

IconGroup IconFileGroup(const std::vector<ImageSpec>& images)
{
    auto group = ReadIconGroupFromBytes(IcoFile(images), 0);
    EXPECT_TRUE(group) << group.error();
    return group ? std::move(*group) : IconGroup {};
}

std::vector<uint32_t> Pixels(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    std::vector<uint32_t> out;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            out.push_back(argb.pixel(x, y));
    return out;
}

// Transparent red on the left, opaque blue on the right.
uint32_t RedThenBlue(int x, int) { return x < 128 ? 0x00ff0000u : 0xff0000ffu; }

} // namespace

TEST(GroupPng, KeepsThePixelsAtTheImagesOwnSizeAndScalesSmoothly)
{
    const ImageSpec png { .width = 48, .height = 48, .pixel = AlphaPattern(6), .png = true };
    const ImageSpec dib { .width = 32, .height = 32, .bits = 32, .pixel = AlphaPattern(7) };
    const IconGroup group = IconFileGroup({ dib, png });
    QTemporaryDir dir;
    const std::string path = dir.filePath("out.png").toStdString();
    WriteGroupPng(group, 1, 0, path);
    const QImage read(QString::fromStdString(path));
    EXPECT_TRUE(read.hasAlphaChannel());
    EXPECT_EQ(Pixels(read), ExpectedPixels(png));
    EXPECT_EQ(Pixels(GroupImageAsQImage(group, 0)), ExpectedPixels(dib));

    // 256 pixels down to 48: transparent pixels lend no colour to opaque ones.
    const IconGroup big
        = IconFileGroup({ ImageSpec { .width = 256, .height = 256, .pixel = RedThenBlue, .png = true } });
    const QImage scaled = GroupImageAsQImage(big, 0, 48);
    ASSERT_EQ(scaled.size(), QSize(48, 48));
    const QColor edge = scaled.pixelColor(24, 20), left = scaled.pixelColor(5, 20), right = scaled.pixelColor(40, 20);
    EXPECT_EQ(left.alpha(), 0);
    EXPECT_EQ(right, QColor(0, 0, 255));
    EXPECT_GT(edge.alpha(), 0);
    EXPECT_EQ(edge.red(), 0);
    EXPECT_THROW(GroupImageAsQImage(big, 0, kMaxPngSize + 1), EInvalidGroup);
}

TEST(GroupPng, LargestImageThenDeepestThenFirstStored)
{
    const IconGroup group = IconFileGroup({ ImageSpec { .width = 32, .height = 32, .bits = 32 },
                                            ImageSpec { .width = 48, .height = 48, .bits = 8 },
                                            ImageSpec { .width = 48, .height = 48, .bits = 24 },
                                            ImageSpec { .width = 48, .height = 48, .bits = 24 } });
    EXPECT_EQ(LargestImage(group), 2u);

    // For the clipboard: the largest that decodes. A PNG whose pixel data is
    // damaged passes as whole but gives way to the next.
    ImageSpec broken { .width = 256, .height = 256, .png = true };
    Bytes bytes = IconImage(broken);
    for (std::size_t i = bytes.size() / 2; i < bytes.size() / 2 + 20; ++i)
        bytes[i] ^= 0x5a;
    broken.encoded = std::make_shared<Bytes>(bytes);
    QTemporaryDir dir;
    const std::string path = dir.filePath("a.ico").toStdString();
    ASSERT_TRUE(WriteFile(path, IcoFile({ ImageSpec { .width = 16, .height = 16 }, broken,
                                          ImageSpec { .width = 48, .height = 48, .bits = 4 } })));
    ASSERT_EQ(ReadIconGroup(path, 0)->images.size(), 3u);
    EXPECT_EQ(LargestIconImage(path, 0).size(), QSize(48, 48));
    EXPECT_TRUE(LargestIconImage(path, 1).isNull());
}

TEST(GroupSizesText, EachSizeOnceSmallestFirst)
{
    std::vector<ImageSpec> images;
    for (auto [side, bits] : { std::pair { 256, 32 }, { 48, 32 }, { 32, 8 }, { 32, 32 }, { 16, 4 } })
        images.push_back(ImageSpec { .width = side, .height = side, .bits = bits, .png = side == 256 });
    EXPECT_EQ(GroupSizesText(IconFileGroup(images)), "16, 32, 48, 256 px");
    images.push_back(ImageSpec { .width = 48, .height = 32, .bits = 8 });
    EXPECT_EQ(GroupSizesText(IconFileGroup(images)), "16, 32, 48x32, 48, 256 px");
    EXPECT_EQ(GroupSizesText(IconGroup {}), "");

    QTemporaryDir dir;
    const std::string path = dir.filePath("a.dll").toStdString();
    ASSERT_TRUE(WriteFile(path, PeFile(Groups(2, { images[4], images[1] }))));
    EXPECT_EQ(IconSizesText(path, 1), "16, 48 px");
    EXPECT_EQ(IconSizesText(path, 2), "");
}

TEST(IconResourceText, NamesTheGroupsResourceOnOneLine)
{
    QTemporaryDir dir;
    const auto path = [&dir](const char* name) { return dir.filePath(QString::fromLatin1(name)).toStdString(); };
    GroupSpec named { { ImageSpec {} }, "MY \"ICON\"\n" };
    named.languages = { 0 };
    GroupSpec numbered { { ImageSpec {} }, {}, 101 };
    ASSERT_TRUE(WriteFile(path("a.dll"), PeFile({ numbered, named })));
    ASSERT_TRUE(WriteFile(path("a.icl"), NeFile({ numbered })));
    ASSERT_TRUE(WriteFile(path("a.ico"), IcoFile({ ImageSpec {} })));
    EXPECT_EQ(IconResourceText(path("a.dll"), 0), QStringLiteral("Resource: \"MY \"ICON\"\uFFFD\", language 0"));
    EXPECT_EQ(IconResourceText(path("a.dll"), 1), "Resource: 101, language 1033");
    EXPECT_EQ(IconResourceText(path("a.icl"), 0), "Resource: 101");
    EXPECT_EQ(IconResourceText(path("a.ico"), 0), "");
}
