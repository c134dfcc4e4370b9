#include "platform/files/NativePath.h"
#include "core/PassesFilter.h"

#include <gtest/gtest.h>

using namespace orbisk;

TEST(PassesFilter, DefaultFilter)
{
    const std::string_view f = DefaultFileExt;
    for (const char* name : { "a.ico", "B.Ico", "c.ICO", "e.ic", "f.EX", "g.i", "h.d", "noext", "trailing.", "x.y.dll" })
        EXPECT_TRUE(PassesFilter(name, f)) << name;
    for (const char* name : { "d.icon", "readme.txt", "pic.bmp", ".bashrc", "a.co", "a.ico.bak" })
        EXPECT_FALSE(PassesFilter(name, f)) << name;
}

TEST(PassesFilter, StarEmptyAndLowerCaseFilters)
{
    for (const char* name : { "a.ico", "x.txt", "noext", "\xff\xfe.bin" })
        EXPECT_TRUE(PassesFilter(name, "*")) << name;
    EXPECT_FALSE(PassesFilter("a.ico", "*,")); // only the whole string "*" means every file
    EXPECT_TRUE(PassesFilter("noext", ""));
    EXPECT_FALSE(PassesFilter("a.ico", ""));
    EXPECT_FALSE(PassesFilter("a.ico", ".ico,"));
    EXPECT_FALSE(PassesFilter("a.ICO", ".ico,"));
    EXPECT_TRUE(PassesFilter("trailing.", ".BMP,"));
    EXPECT_FALSE(PassesFilter("trailing.", "*x"));
    EXPECT_TRUE(PassesFilter("pic.bmp", ".ICO,.BMP,"));
}

TEST(PassesFilter, NonAsciiAndInvalidUtf8Extensions)
{
    // Upper-casing follows the language for real characters...
    EXPECT_EQ(UpperExtension(".\xc3\xa9t\xc3\xa9"), ".\xc3\x89T\xc3\x89"); // .été -> .ÉTÉ
    EXPECT_TRUE(PassesFilter("r\xc3\xa9sum\xc3\xa9.\xc3\xa9t\xc3\xa9", ".\xc3\x89T\xc3\x89,"));
    // ...and keeps bytes that are no character, upper-casing ASCII around them.
    EXPECT_EQ(UpperExtension(".ic\xff"), ".IC\xff");
    EXPECT_TRUE(PassesFilter("\xfe\xff.ic\xff", ".IC\xff,"));
    EXPECT_FALSE(PassesFilter("\xfe\xff.ic\xff", DefaultFileExt));
    EXPECT_TRUE(PassesFilter("\xfe\xff.ico", DefaultFileExt));
    // A long extension takes the general path and gives the same answer.
    const std::string longExt = "." + std::string(100, 'a');
    EXPECT_TRUE(PassesFilter("x" + longExt, "." + std::string(100, 'A') + ","));
}

TEST(NativePath, RootIsKeptAndSeparatorsNeverDouble)
{
    EXPECT_EQ(JoinPath("/", "a.ico"), "/a.ico");
    EXPECT_EQ(JoinPath("/usr/share", "a.ico"), "/usr/share/a.ico");
    EXPECT_EQ(JoinPath("", "a.ico"), "a.ico");
    EXPECT_EQ(TrimTrailingSeparators("/"), "/");
    EXPECT_EQ(TrimTrailingSeparators("///"), "/");
    EXPECT_EQ(TrimTrailingSeparators("/usr/"), "/usr");
    EXPECT_EQ(TrimTrailingSeparators("rel//"), "rel");

    const SplitPath inRoot = SplitFilePath("/x.ico");
    EXPECT_EQ(inRoot.folder, "/");
    EXPECT_EQ(inRoot.name, "x.ico");
    const SplitPath nested = SplitFilePath("/a//b:c.ico");
    EXPECT_EQ(nested.folder, "/a");
    EXPECT_EQ(nested.name, "b:c.ico"); // a colon is part of a name here
    const SplitPath bare = SplitFilePath("x.ico");
    EXPECT_EQ(bare.folder, "");
    EXPECT_EQ(JoinPath(bare.folder, bare.name), "x.ico");
}
