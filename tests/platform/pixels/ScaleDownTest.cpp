// Smooth scaling down of straight-alpha images.

#include "platform/pixels/ScaleDown.h"

#include <gtest/gtest.h>

using namespace orbisk;

TEST(ScaleDown, AveragesTheAreaEachPixelCoversWeightedByAlpha)
{
    // A transparent red pixel lends no colour; alpha averages.
    EXPECT_EQ(ScaleDown(std::vector<uint32_t> { 0x00ff0000, 0xff0000ff, 0x800000ff, 0x000000ff }, 2, 2, 1, 1),
              std::vector<uint32_t> { 0x600000ff });
    EXPECT_EQ(ScaleDown(std::vector<uint32_t> { 0x40ff0000, 0xc00000ff }, 2, 1, 1, 1),
              std::vector<uint32_t> { 0x804000bf });
    // 5 pixels into 3: the middle ones are shared by two, an even colour
    // stays even.
    const std::vector<uint32_t> ramp { 0x00000000, 0x40000000, 0x80000000, 0xc0000000, 0xff000000 };
    EXPECT_EQ(ScaleDown(ramp, 5, 1, 3, 1), (std::vector<uint32_t> { 0x1a000000, 0x80000000, 0xe6000000 }));
    EXPECT_EQ(ScaleDown(std::vector<uint32_t>(5 * 4, 0x80123456), 5, 4, 3, 2), std::vector<uint32_t>(6, 0x80123456));
}
