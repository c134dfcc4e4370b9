#include "export/SaveIconName.h"

#include <gtest/gtest.h>

using namespace orbisk;

TEST(SaveIconName, ProposalDropsTheExtensionAndNumbersAllButTheFirstIcon)
{
    EXPECT_EQ(ProposedIconFileName("shell32.dll", 0), "shell32");
    EXPECT_EQ(ProposedIconFileName("shell32.dll", 3), "shell32-3");
    EXPECT_EQ(ProposedIconFileName("my.tool.exe", 1), "my.tool-1");
    EXPECT_EQ(ProposedIconFileName("README", 2), "README-2");
    // Only the last part of a path counts.
    EXPECT_EQ(ProposedIconFileName("/usr/share/app.d/icons", 4), "icons-4");
}

TEST(SaveIconName, AnExtensionIsADotInTheLastPart)
{
    EXPECT_TRUE(HasExtension("my.icons"));
    EXPECT_TRUE(HasExtension("/home/x/picture.ico"));
    EXPECT_TRUE(HasExtension("x."));
    EXPECT_FALSE(HasExtension("x"));
    EXPECT_FALSE(HasExtension("/home/my.folder/x"));
}
