#include "TestIcons.h"

#include "export/SaveColors.h"
#include "export/TafIcon.h"
#include "platform/extract/ExtractIcon.h"
#include "fixtures/Fixtures.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

// Saves `handle` at a colour count (or, without one, writes `bytes`) and
// extracts the file's icon again.
UniqueIcon ReadBack(const QTemporaryDir& dir, HICON handle, int32_t count, const Bytes& bytes = {})
{
    const std::string path = dir.path().toStdString() + "/saved.ico";
    if (handle) {
        TafIcon icon;
        icon.SetHandle(handle);
        TafIcon::WriteIconFile(icon, path, count);
        icon.ReleaseHandle();
    } else {
        EXPECT_TRUE(WriteFile(path, bytes));
    }
    return UniqueIcon(ExtractIcon(path, 0));
}

} // namespace

TEST(RoundTrip, ThirtyTwoBitSaveGivesTheSamePixelsBack)
{
    QTemporaryDir dir;
    UniqueIcon sources[] = { ReadBack(dir, nullptr, 0, IcoFile({ ImageSpec { .pixel = AlphaPattern(3) } })),
                             CheckerIcon() };
    for (const UniqueIcon& source : sources) {
        ASSERT_TRUE(source);
        UniqueIcon back = ReadBack(dir, source.get(), TrueColor32);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->color, source->color);
        EXPECT_EQ(back->mask, source->mask);
    }
}

TEST(RoundTrip, MonochromeIconSurvivesEveryDepth)
{
    QTemporaryDir dir;
    const ImageSpec mono { .bits = 1,
                           .pixel = [](int x, int y) { return (x / 4 + y / 4) % 2 ? 0xffffffffu : 0xff000000u; },
                           .mask = [](int x, int y) { return x < 3 || y > 28; } };
    UniqueIcon source = ReadBack(dir, nullptr, 0, IcoFile({ mono }));
    ASSERT_TRUE(source && source->monochrome);
    for (int32_t count : { 2, 16, 256, 65536, 16777216, TrueColor32 }) {
        UniqueIcon back = ReadBack(dir, source.get(), count);
        ASSERT_TRUE(back) << count;
        EXPECT_EQ(back->mask, source->mask) << count;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                ASSERT_TRUE(source->MaskBit(x, y) || back->Pixel(x, y) == source->Pixel(x, y)) << count;
    }
}
