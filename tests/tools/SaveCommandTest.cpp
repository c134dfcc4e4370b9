#include "tests/support/Fixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>

using namespace orbisk::test;
namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

std::string Slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class SaveCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "orbisk-savecmd-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        fs::create_directories(dir_ / "in");
        fs::create_directories(dir_ / "out");
        ASSERT_TRUE(WriteFile(dir_ / "in/three.dll", PeFile(Groups(3, { ImageSpec {} }))));
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs orbisk-extract with arguments already quoted.
    ToolRun Run(const std::string& args)
    {
        const std::string command = std::string(ORBISK_EXTRACT) + " " + args + " >'" + (dir_ / "stdout").string()
            + "' 2>'" + (dir_ / "stderr").string() + "'";
        const int raw = std::system(command.c_str());
        return { WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(dir_ / "stdout"), Slurp(dir_ / "stderr") };
    }
    std::string Q(const fs::path& p) const { return "'" + p.string() + "'"; }
    std::string Out(const std::string& name) const { return (dir_ / "out" / name).string(); }

    fs::path dir_;
};

} // namespace

TEST_F(SaveCommand, SavesOneIconAtTheChosenDepthOrAsBitmap)
{
    const std::string dll = Q(dir_ / "in/three.dll");
    EXPECT_EQ(Run("save --colors 256 " + dll + " 2 " + Q(Out("a.ico"))).status, 0);
    EXPECT_EQ(fs::file_size(Out("a.ico")), 2238u);
    EXPECT_EQ(Run("save --display-depth 4 " + dll + " 0 " + Q(Out("b.ico"))).status, 0);
    EXPECT_EQ(fs::file_size(Out("b.ico")), 766u); // 0: the display's 16 colours
    EXPECT_EQ(Run("save --bmp --display-depth 24 " + dll + " 1 " + Q(Out("c.bmp"))).status, 0);
    EXPECT_EQ(fs::file_size(Out("c.bmp")), 3126u);

    const ToolRun noIcon = Run("save " + dll + " 3 " + Q(Out("d.ico")));
    EXPECT_EQ(noIcon.status, 1);
    EXPECT_NE(noIcon.err.find("no icon #3"), std::string::npos);
    const ToolRun noFolder = Run("save " + dll + " 0 " + Q(Out("missing/e.ico")));
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_EQ(noFolder.err, "orbisk-extract save: Cannot create file " + Out("missing/e.ico") + "\n");
    for (const char* usage : { "save --colors 100 x 0 y", "save --bmp --colors 16 x 0 y", "save x 0",
                               "save x -1 y", "save --display-depth 0 x 0 y", "save --png x 0 y" }) {
        const ToolRun r = Run(usage);
        EXPECT_EQ(r.status, 2) << usage;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << usage;
    }
    EXPECT_FALSE(fs::exists(Out("d.ico")));
}

TEST_F(SaveCommand, SaveAllNumbersIconsAndReportsEachFailure)
{
    ASSERT_TRUE(WriteFile(dir_ / "in/one.ico", IcoFile({ ImageSpec {} })));
    fs::create_directory(Out("icon2.bmp")); // a folder where icon2 should go
    const ToolRun r = Run("save-all --bmp " + Q(dir_ / "in") + " " + Q(dir_ / "out/"));
    EXPECT_EQ(r.status, 1);
    for (const char* name : { "icon1.bmp", "icon3.bmp", "icon4.bmp" })
        EXPECT_EQ(fs::file_size(Out(name)), 4150u) << name;
    // One line naming the icon and the file; the scan order puts the icon
    // of one.ico or of three.dll first, whichever the folder lists first.
    const std::string line = r.err.substr(0, r.err.find('\n'));
    EXPECT_EQ(line.rfind("Error saving " + (dir_ / "in").string() + "/", 0), 0u) << r.err;
    EXPECT_NE(line.find(" #"), std::string::npos);
    EXPECT_EQ(line.substr(line.size() - (" to " + Out("icon2.bmp")).size()), " to " + Out("icon2.bmp"));
    EXPECT_EQ(r.err.size(), line.size() + 1);
    EXPECT_EQ(r.out, "3 icon(s) saved to " + (dir_ / "out/").string() + "\n");

    EXPECT_EQ(Run("save-all " + Q(dir_ / "in") + " " + Q(dir_ / "nowhere")).status, 1);
    EXPECT_EQ(Run("save-all --colors 256 " + Q(dir_ / "in") + " " + Q(dir_ / "out")).status, 0);
    EXPECT_EQ(fs::file_size(Out("icon4.ico")), 2238u);
    EXPECT_EQ(Run("save-all --filter " + Q(dir_ / "in")).status, 2);
}
