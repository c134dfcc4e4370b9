#include "platform/namespace/NaturalOrder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace orbisk;

// Sorting a folder's names uses precomputed keys; they must give the same
// order as comparing two names directly.
TEST(NaturalOrder, SortingAgreesWithThePairwiseOrder)
{
    std::vector<std::string> names { "icon10.ico", "Icon2.ico", "icon2.ico", "icon1.ico", "b", "B", "a\xff",
                                     "a",          "z 9",       "z 10",      "",          "ä", "e" };
    SortNaturally(names);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(),
                               [](const std::string& a, const std::string& b) { return NaturalCompare(a, b) < 0; }));
    const auto at = [&](const char* name) { return std::find(names.begin(), names.end(), name) - names.begin(); };
    EXPECT_LT(at("icon2.ico"), at("icon10.ico"));
    EXPECT_LT(at("z 9"), at("z 10"));
    EXPECT_EQ(names.size(), 13u);
}
