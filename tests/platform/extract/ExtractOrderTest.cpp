// How the icons of programs and libraries are numbered.

#include "platform/extract/ExtractIcon.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

GroupSpec Colored(uint32_t color, std::string name = {}, uint16_t id = 0)
{
    GroupSpec g { { ImageSpec { .bits = 24, .pixel = [color](int, int) { return color; } } } };
    g.name = std::move(name);
    g.id = id;
    return g;
}

// The colour at the centre of every icon of a file, in order.
std::vector<uint32_t> Colors(const std::string& path)
{
    std::vector<uint32_t> colors;
    for (int n = 0; n < 100; ++n) {
        UniqueIcon icon = ExtractIconDetailed(path, n, nullptr);
        if (!icon)
            break;
        colors.push_back(icon->Pixel(16, 16));
    }
    return colors;
}

Bytes Build(const std::string& kind, const std::vector<GroupSpec>& groups)
{
    if (kind == "ne")
        return NeFile(groups);
    return PeFile(groups, kind == "pe32+" ? PeKind::Pe32Plus : PeKind::Pe32);
}

class ExtractOrder : public testing::TestWithParam<std::string> {
protected:
    TempDir dir_;
};

} // namespace

TEST_P(ExtractOrder, NamedGroupsAsStoredThenNumericIdsAscending)
{
    // Stored as ZED, ALPHA, then 9, 2, 5: numbered ZED, ALPHA, 2, 5, 9.
    const std::vector<GroupSpec> groups { Colored(0xff000009, {}, 9), Colored(0xff0000aa, "ZED"),
                                          Colored(0xff000002, {}, 2), Colored(0xff0000bb, "ALPHA"),
                                          Colored(0xff000005, {}, 5) };
    const auto colors = Colors(dir_.Write("order", Build(GetParam(), groups)));
    EXPECT_EQ(colors, (std::vector<uint32_t> { 0xff0000aa, 0xff0000bb, 0xff000002, 0xff000005, 0xff000009 }));
}

TEST_P(ExtractOrder, GroupsWithoutUsableImagesArePassedOver)
{
    GroupSpec missing { {}, {}, 0, { 500, 501 } };
    GroupSpec someMissing = Colored(0xff000003);
    someMissing.missingIcons = { 600 };
    GroupSpec garbage = Colored(0xff0000ee);
    garbage.images[0].encoded = std::make_shared<Bytes>(Bytes(64, 0x5a));
    GroupSpec empty;
    const std::vector<GroupSpec> groups { Colored(0xff000001), missing, garbage, empty, someMissing,
                                          Colored(0xff000004) };
    const std::string path = dir_.Write("gaps", Build(GetParam(), groups));
    EXPECT_EQ(Colors(path), (std::vector<uint32_t> { 0xff000001, 0xff000003, 0xff000004 }));
    // Asked for out of order, the numbers stay the same.
    UniqueIcon last = ExtractIconDetailed(path, 2, nullptr);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->Pixel(0, 0), 0xff000004u);
    UniqueIcon first = ExtractIconDetailed(path, 0, nullptr);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Pixel(0, 0), 0xff000001u);
    EXPECT_FALSE(ExtractIconDetailed(path, 3, nullptr));
    EXPECT_FALSE(ExtractIconDetailed(path, -1, nullptr));
}

TEST_P(ExtractOrder, ChoosesWithinEachGroup)
{
    std::vector<GroupSpec> groups = Groups(2, { ImageSpec { .width = 16, .height = 16, .bits = 32 },
                                                ImageSpec { .bits = 8 }, ImageSpec { .bits = 4 },
                                                ImageSpec { .width = 256, .height = 256, .png = true } });
    const std::string path = dir_.Write("choice", Build(GetParam(), groups));
    for (int n = 0; n < 2; ++n) {
        IconSourceInfo info;
        UniqueIcon icon = ExtractIconDetailed(path, n, &info);
        ASSERT_TRUE(icon);
        EXPECT_EQ(info.width, 32);
        EXPECT_EQ(info.bits, 8);
        EXPECT_EQ(icon->Pixel(7, 9), ExpectedPixel(groups[std::size_t(n)].images[1], 7, 9));
    }
}

TEST_P(ExtractOrder, ThousandsOfGroupsInAnyOrder)
{
    constexpr int kGroups = 2000;
    std::vector<GroupSpec> groups;
    for (int g = 0; g < kGroups; ++g)
        groups.push_back(Colored(0xff000000u | uint32_t(g)));
    for (GroupSpec& g : groups)
        g.images[0].width = g.images[0].height = 2;
    const std::string path = dir_.Write("many", Build(GetParam(), groups));
    int wrong = 0;
    for (int n : { 0, 1, 2, 1999, 5, 6, 1000, 1001, 0 }) {
        UniqueIcon icon = ExtractIconDetailed(path, n, nullptr);
        wrong += !icon || icon->Pixel(16, 16) != (0xff000000u | uint32_t(n));
    }
    for (int n = 0; n < kGroups; ++n) {
        UniqueIcon icon = ExtractIconDetailed(path, n, nullptr);
        wrong += !icon || icon->Pixel(16, 16) != (0xff000000u | uint32_t(n));
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_FALSE(ExtractIconDetailed(path, kGroups, nullptr));
}

INSTANTIATE_TEST_SUITE_P(Formats, ExtractOrder, testing::Values("pe32", "pe32+", "ne"),
                         [](const auto& info) { return info.param == "pe32+" ? std::string("pe32plus") : info.param; });
