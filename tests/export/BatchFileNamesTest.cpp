#include "export/BatchFileNames.h"

#include <gtest/gtest.h>

using namespace orbisk;

TEST(BatchFileNames, NumbersNamesWithOneSeparator)
{
    EXPECT_STREQ(SaveFileExtension(0), ".ico");
    EXPECT_STREQ(SaveFileExtension(1), ".bmp");
    EXPECT_EQ(SaveFileExtension(2), nullptr);
    EXPECT_EQ(BatchSaveFileName("/home/u/out", 1, ".ico"), "/home/u/out/icon1.ico");
    EXPECT_EQ(BatchSaveFileName("/home/u/out/", 12, ".bmp"), "/home/u/out/icon12.bmp");
    EXPECT_EQ(BatchSaveFileName("/", 3, ".ico"), "/icon3.ico");
    EXPECT_EQ(BatchSaveErrorLine("/w/shell32.dll #3", "/out/icon2.ico"),
              "Error saving /w/shell32.dll #3 to /out/icon2.ico");
}
