#include "fixtures/Fixtures.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

using namespace orbisk::test;

namespace {

struct ToolRun {
    int status = -1;
    std::vector<std::string> lines;
};

// Runs orbisk-extract with the given arguments (already quoted), stdout kept.
ToolRun Extract(const std::string& args)
{
    ToolRun r;
    const std::string command = std::string(ORBISK_EXTRACT) + " " + args + " 2>/dev/null";
    FILE* out = ::popen(command.c_str(), "r");
    if (!out)
        return r;
    std::array<char, 4096> buffer {};
    std::string text;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), out))
        text.append(buffer.data(), n);
    const int raw = ::pclose(out);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::size_t start = 0;
    for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        r.lines.push_back(text.substr(start, nl - start));
    return r;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

std::vector<std::string> Sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

class ScanCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(tmp_.Path().empty());
        dir_ = tmp_.Path();
        std::filesystem::create_directory(dir_ + "/sub");
        ASSERT_TRUE(WriteFile(dir_ + "/one.ico", IcoFile({ ImageSpec {} })));
        ASSERT_TRUE(WriteFile(dir_ + "/three.dll", PeFile(Groups(3, { ImageSpec {} }))));
        ASSERT_TRUE(WriteFile(dir_ + "/pic.bmp", BmpFile(ImageSpec { .bits = 24 })));
        ASSERT_TRUE(WriteFile(dir_ + "/notes.txt", { 'h', 'i' }));
        ASSERT_TRUE(WriteFile(dir_ + "/sub/deep.cur", CurFile({ ImageSpec {} })));
    }

    orbisk::test::TempDir tmp_ { "orbisk-scancmd" };
    std::string dir_;
};

} // namespace

TEST_F(ScanCommand, ListsIconsThenThePanels)
{
    const ToolRun plain = Extract("scan " + Quote(dir_));
    ASSERT_EQ(plain.status, 0);
    ASSERT_EQ(plain.lines.size(), 4u + 3);
    EXPECT_EQ(Sorted({ plain.lines.begin(), plain.lines.begin() + 4 }),
        (std::vector<std::string> { dir_ + "/one.ico #0", dir_ + "/three.dll #0", dir_ + "/three.dll #1", dir_ + "/three.dll #2" }));
    EXPECT_EQ(std::vector<std::string>(plain.lines.begin() + 4, plain.lines.end()),
        (std::vector<std::string> { "panel1: 2 files", "panel2: 4 icon(s) loaded", "panel3: " }));

    const ToolRun all = Extract("scan --subfolders --filter '*' " + Quote(dir_ + "/"));
    ASSERT_EQ(all.status, 0);
    ASSERT_EQ(all.lines.size(), 6u + 3);
    EXPECT_EQ(all.lines.back(), "panel3: ");
    EXPECT_EQ(all.lines[all.lines.size() - 3], "panel1: 5 files");
    EXPECT_EQ(all.lines[5], dir_ + "/sub/deep.cur #0") << "the sub-folder comes after the root's files";

    // one.ico's picture is that of three.dll #0: whichever the walk met
    // first is printed.
    const ToolRun unique = Extract("scan --unique " + Quote(dir_));
    ASSERT_EQ(unique.lines.size(), 3u + 3);
    const std::vector<std::string> icons = Sorted({ unique.lines.begin(), unique.lines.begin() + 3 });
    EXPECT_EQ(std::vector<std::string>(icons.end() - 2, icons.end()),
        (std::vector<std::string> { dir_ + "/three.dll #1", dir_ + "/three.dll #2" }));
    EXPECT_TRUE(icons[0] == dir_ + "/one.ico #0" || icons[0] == dir_ + "/three.dll #0") << icons[0];
    EXPECT_EQ(unique.lines[4], "panel2: 4 icon(s) loaded");

    const ToolRun oneFile = Extract("scan --filter .ICO, " + Quote(dir_ + "/three.dll"));
    EXPECT_EQ(oneFile.lines, (std::vector<std::string> { dir_ + "/three.dll #0", dir_ + "/three.dll #1",
                                 dir_ + "/three.dll #2", "panel1: ", "panel2: 3 icon(s) loaded", "panel3: " }));
}

TEST_F(ScanCommand, ErrorsAndUsage)
{
    EXPECT_EQ(Extract("scan " + Quote(dir_ + "/missing")).status, 1);
    EXPECT_EQ(Extract("scan").status, 2);
    EXPECT_EQ(Extract("scan --bogus " + Quote(dir_)).status, 2);
    EXPECT_EQ(Extract("scan " + Quote(dir_) + " " + Quote(dir_)).status, 2);
    EXPECT_EQ(Extract("scan --filter").status, 2);
    const ToolRun help = Extract("scan --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(std::find(help.lines.begin(), help.lines.end(), "Usage: orbisk-extract scan [OPTIONS] PATH"),
        help.lines.end());
}
