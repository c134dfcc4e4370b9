// orbisk-extract group, save-group, save-png and list --cursors, run as a
// user runs them, on files built in code.

#include "fixtures/Fixtures.h"
#include "tests/tools/ExtractRun.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using namespace orbisk::test;

namespace {

Bytes Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

ImageSpec Encoded(ImageSpec shape)
{
    shape.encoded = std::make_shared<Bytes>(IconImage(shape));
    return shape;
}

const std::vector<ImageSpec> kImages {
    ImageSpec { .width = 16, .height = 16, .bits = 4 },
    ImageSpec { .width = 32, .height = 32, .bits = 8 },
    ImageSpec { .width = 48, .height = 48, .bits = 32, .pixel = AlphaPattern(2) },
    Encoded(ImageSpec { .width = 256, .height = 256, .pixel = AlphaPattern(3), .png = true }),
};

class GroupCommands : public ExtractTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ExtractTest::SetUp());
        GroupSpec cursor { { kImages[1], kImages[0] } };
        cursor.hotspots = { { 4, 5 }, { 4, 5 } };
        ASSERT_TRUE(WriteFile(F("app.exe"), PeFile(Groups(2, kImages), PeKind::Pe32, nullptr, { cursor, cursor })));
        ASSERT_TRUE(WriteFile(F("pic.bmp"), BmpFile(ImageSpec { .width = 8, .height = 4, .bits = 24 })));
    }
};

} // namespace

TEST_F(GroupCommands, GroupListsEveryImageInStoredOrder)
{
    const std::string png = std::to_string(IconImage(kImages[3]).size());
    ToolRun r = Run("group " + Quote(F("app.exe")) + " 1");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "16x16 4 dib 296\n32x32 8 dib 2216\n48x48 32 dib 9640\n256x256 32 png " + png + "\n");
    r = Run("group --cursor " + Quote(F("app.exe")) + " 1");
    EXPECT_EQ(r.out, "32x32 8 dib 2216 4,5\n16x16 4 dib 296 4,5\n");
    r = Run("group " + Quote(F("pic.bmp")) + " 0");
    EXPECT_EQ(r.out, "8x4 24 dib " + std::to_string(Slurp(F("pic.bmp")).size()) + "\n");

    r = Run("group " + Quote(F("app.exe")) + " 2");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "orbisk-extract group: " + F("app.exe") + " has no icon #2\n");
    r = Run("group --cursor " + Quote(F("missing.exe")) + " 0");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "orbisk-extract group: " + F("missing.exe") + ": No such file or directory\n");
    for (const char* usage : { "group", "group x", "group x -1", "group x 0 y", "group --size 4 x 0" }) {
        r = Run(usage);
        EXPECT_EQ(r.status, 2) << usage;
        EXPECT_NE(r.err.find("\nTry 'orbisk-extract group --help'.\n"), std::string::npos) << usage;
    }
}

TEST_F(GroupCommands, SaveGroupWritesTheWholeGroup)
{
    EXPECT_EQ(Run("save-group " + Quote(F("app.exe")) + " 1 " + Quote(F("out.ico"))).status, 0);
    EXPECT_EQ(Slurp(F("out.ico")), IcoFile(Groups(2, kImages)[1].images));
    EXPECT_EQ(Run("save-group --cursor " + Quote(F("app.exe")) + " 0 " + Quote(F("out.cur"))).status, 0);
    EXPECT_EQ(Slurp(F("out.cur")), CurFile({ kImages[1], kImages[0] }, 4, 5));

    // An image that is not whole is named and left out; the rest is saved.
    ImageSpec cut = kImages[3];
    const Bytes png = IconImage(cut);
    cut.encoded = std::make_shared<Bytes>(png.begin(), png.end() - 5);
    ASSERT_TRUE(WriteFile(F("cut.ico"), IcoFile({ kImages[0], cut, kImages[2] })));
    ToolRun r = Run("save-group " + Quote(F("cut.ico")) + " 0 " + Quote(F("fixed.ico")));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "orbisk-extract save-group: " + F("cut.ico")
                  + ": icon #0: directory entry 1 left out (PNG image cut short)\n");
    EXPECT_EQ(Slurp(F("fixed.ico")), IcoFile({ kImages[0], kImages[2] }));

    r = Run("save-group " + Quote(F("pic.bmp")) + " 0 " + Quote(F("pic.ico")));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "orbisk-extract save-group: A bitmap file holds no icon group\n");
    EXPECT_FALSE(std::filesystem::exists(F("pic.ico")));
    r = Run("save-group " + Quote(F("app.exe")) + " 0 " + Quote(F("no/such/folder.ico")));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "orbisk-extract save-group: Cannot create file " + F("no/such/folder.ico") + "\n");
}

TEST_F(GroupCommands, SavePngTakesTheLargestImageAtItsSizeOrScaled)
{
    EXPECT_EQ(Run("save-png " + Quote(F("app.exe")) + " 0 " + Quote(F("big.png"))).status, 0);
    QImage big(QString::fromStdString(F("big.png")));
    ASSERT_EQ(big.size(), QSize(256, 256));
    big = big.convertToFormat(QImage::Format_ARGB32);
    const std::vector<uint32_t> want = ExpectedPixels(kImages[3]);
    int wrong = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            wrong += big.pixel(x, y) != want[std::size_t(y) * 256 + std::size_t(x)];
    EXPECT_EQ(wrong, 0);

    EXPECT_EQ(Run("save-png --size 48 " + Quote(F("app.exe")) + " 0 " + Quote(F("48.png"))).status, 0);
    EXPECT_EQ(QImage(QString::fromStdString(F("48.png"))).size(), QSize(48, 48));
    EXPECT_EQ(Run("save-png --image 0 " + Quote(F("app.exe")) + " 0 " + Quote(F("16.png"))).status, 0);
    EXPECT_EQ(QImage(QString::fromStdString(F("16.png"))).size(), QSize(16, 16));

    const ToolRun r = Run("save-png --image 4 " + Quote(F("app.exe")) + " 0 " + Quote(F("x.png")));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "orbisk-extract save-png: " + F("app.exe") + ": icon #0 has no image #4\n");
    for (const char* usage : { "save-png --size 0 x 0 y", "save-png --size 1025 x 0 y", "save-png x 0" })
        EXPECT_EQ(Run(usage).status, 2) << usage;
}

TEST_F(GroupCommands, ListCursorsNumbersTheCursorsApart)
{
    ASSERT_TRUE(WriteFile(F("arrow.cur"), CurFile({ kImages[0] }, 1, 2)));
    const ToolRun r
        = Run("list --cursors " + Quote(F("app.exe")) + " " + Quote(F("pic.bmp")) + " " + Quote(F("arrow.cur")));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, F("app.exe") + " #0 32x32 8 4,5 name=1 language=1033\n" + F("app.exe")
                  + " #1 32x32 8 4,5 name=2 language=1033\n" + F("arrow.cur") + " #0 16x16 4 1,2\n");
}
