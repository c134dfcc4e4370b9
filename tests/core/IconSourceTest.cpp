#include "core/IconSource.h"
#include "ScanTestSupport.h"

#include <gtest/gtest.h>

using namespace orbisk;
using orbisk::test::BlankIcon;

// Lists copied while a worker appends may name a file or folder not there
// yet: the name then has no path, and nothing reads past a list.
TEST(IconSource, PathsInsideTheListsAndNoneOutside)
{
    FolderList folders;
    folders.emplace_back("/");
    folders.emplace_back("/a");
    TfileList files;
    files.emplace_back(FileListRec { 1, "b.exe" });
    files.emplace_back(FileListRec { 0, "r.ico" });
    files.emplace_back(FileListRec { 2, "later.dll" });
    files.emplace_back(FileListRec { -1, "bad.dll" });

    EXPECT_EQ(ScanFilePath(folders, files, 0), "/a/b.exe");
    EXPECT_EQ(ScanFilePath(folders, files, 1), "/r.ico");
    EXPECT_EQ(ScanFilePath(folders, files, 2), "");
    EXPECT_EQ(ScanFilePath(folders, files, 3), "");
    EXPECT_EQ(ScanFilePath(folders, files, 4), "");

    TIconList icons;
    ASSERT_TRUE(icons.Append(0, 2, BlankIcon()));
    ASSERT_TRUE(icons.Append(-1, 0, BlankIcon()));
    ASSERT_TRUE(icons.Append(7, 1, BlankIcon()));
    EXPECT_EQ(IconSourceName(folders, files, icons[0]), "/a/b.exe #2");
    EXPECT_EQ(IconSourceName(folders, files, icons[1]), " #0");
    EXPECT_EQ(IconSourceName(folders, files, icons[2]), " #1");
}
