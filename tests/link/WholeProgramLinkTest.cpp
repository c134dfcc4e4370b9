#include "core/PassesFilter.h"
#include "platform/files/NativePath.h"
#include "platform/namespace/MimeTypeNames.h"

#include <gtest/gtest.h>

using namespace orbisk;

// The helpers that once had two definitions with two meanings, now one each.
TEST(WholeProgramLink, PathAndExtensionHelpersHaveOneMeaningEach)
{
    EXPECT_EQ(JoinPath("", "a.ico"), "a.ico");
    EXPECT_EQ(JoinPath("/", "a.ico"), "/a.ico");
    EXPECT_EQ(FilterExtension("a.ICO"), ".ICO");
    EXPECT_EQ(FilterExtension(".hidden"), ".hidden");
    EXPECT_EQ(TypeSuffix("a.ICO"), "ICO");
    EXPECT_EQ(TypeSuffix(".hidden"), "");
}
