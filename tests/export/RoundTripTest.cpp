#include "TestIcons.h"

#include "export/SaveColors.h"
#include "export/TafIcon.h"
#include "platform/ExtractIcon.h"
#include "tests/support/Fixtures.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

// Extracts icon 0 of `bytes` written to a file.
UniqueIcon Extracted(const QTemporaryDir& dir, const Bytes& bytes)
{
    const std::string path = dir.path().toStdString() + "/source.ico";
    EXPECT_TRUE(WriteFile(path, bytes));
    return UniqueIcon(ExtractIcon(path, 0));
}

UniqueIcon SavedAndExtracted(const QTemporaryDir& dir, HICON handle, int32_t count)
{
    SaveColorCount = count;
    TafIcon icon;
    icon.SetHandle(handle);
    const std::string path = dir.path().toStdString() + "/saved.ico";
    TafIcon::WriteIconFile(icon, path);
    icon.ReleaseHandle();
    return UniqueIcon(ExtractIcon(path, 0));
}

} // namespace

TEST(RoundTrip, ThirtyTwoBitSaveGivesTheSamePixelsBack)
{
    QTemporaryDir dir;
    std::vector<UniqueIcon> sources;
    sources.push_back(Extracted(dir, IcoFile({ ImageSpec { .pixel = AlphaPattern(3) } })));
    sources.push_back(CheckerIcon());
    for (const UniqueIcon& source : sources) {
        ASSERT_TRUE(source);
        UniqueIcon back = SavedAndExtracted(dir, source.get(), TrueColor32);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->color, source->color);
        EXPECT_EQ(back->mask, source->mask);
    }
    SaveColorCount = TrueColor32;
}

TEST(RoundTrip, MonochromeIconSurvivesEveryDepth)
{
    QTemporaryDir dir;
    const ImageSpec mono { .bits = 1,
                           .pixel = [](int x, int y) { return (x / 4 + y / 4) % 2 ? 0xffffffffu : 0xff000000u; },
                           .mask = [](int x, int y) { return x < 3 || y > 28; } };
    UniqueIcon source = Extracted(dir, IcoFile({ mono }));
    ASSERT_TRUE(source);
    EXPECT_TRUE(source->monochrome);
    for (int32_t count : { 2, 16, 256, 65536, 16777216, TrueColor32 }) {
        UniqueIcon back = SavedAndExtracted(dir, source.get(), count);
        ASSERT_TRUE(back) << count;
        EXPECT_EQ(back->mask, source->mask) << count;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (!source->MaskBit(x, y)) {
                    ASSERT_EQ(back->Pixel(x, y), source->Pixel(x, y)) << count << " at " << x << "," << y;
                }
    }
    SaveColorCount = TrueColor32;
}
