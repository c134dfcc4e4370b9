#include "fixtures/Fixtures.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>
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
        ASSERT_FALSE(tmp_.Path().empty());
        dir_ = tmp_.Path();
        fs::create_directories(dir_ / "in");
        fs::create_directories(dir_ / "out");
        ASSERT_TRUE(WriteFile(dir_ / "in/three.dll", PeFile(Groups(3, { ImageSpec {} }))));
    }

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

    orbisk::test::TempDir tmp_ { "orbisk-savecmd" };
    fs::path dir_;
};

} // namespace

TEST_F(SaveCommand, SavesOneIconAtTheChosenDepthOrAsBitmap)
{
    const std::string dll = Q(dir_ / "in/three.dll");
    EXPECT_EQ(Run("save --display-depth 4 " + dll + " 2 " + Q(Out("a.ico"))).status, 0);
    EXPECT_EQ(fs::file_size(Out("a.ico")), 766u); // --colors 0: the display's 16 colours
    EXPECT_EQ(Run("save --bmp --display-depth 24 " + dll + " 1 " + Q(Out("b.bmp"))).status, 0);
    EXPECT_EQ(fs::file_size(Out("b.bmp")), 3126u);
    const ToolRun noFolder = Run("save " + dll + " 0 " + Q(Out("missing/c.ico")));
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_EQ(noFolder.err, "orbisk-extract save: Cannot create file " + Out("missing/c.ico") + "\n");
    EXPECT_EQ(Run("save " + dll + " 3 " + Q(Out("d.ico"))).status, 1); // no icon #3
    for (const char* usage : { "save --colors 100 x 0 y", "save --bmp --colors 16 x 0 y", "save x -1 y" })
        EXPECT_EQ(Run(usage).status, 2) << usage;
}

TEST_F(SaveCommand, SaveAllNumbersIconsAndReportsEachFailure)
{
    ASSERT_TRUE(WriteFile(dir_ / "in/one.ico", IcoFile({ ImageSpec {} })));
    fs::create_directory(Out("icon2.bmp")); // a folder where icon2 should go
    const ToolRun r = Run("save-all --bmp " + Q(dir_ / "in") + " " + Q(dir_ / "out/"));
    EXPECT_EQ(r.status, 1);
    for (const char* name : { "icon1.bmp", "icon3.bmp", "icon4.bmp" })
        EXPECT_EQ(fs::file_size(Out(name)), 4150u) << name;
    // One line, naming the icon (of whichever file the folder lists first)
    // and the file, with no doubled separator.
    EXPECT_EQ(r.err.rfind("Error saving " + (dir_ / "in").string() + "/", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(" #"), std::string::npos);
    EXPECT_EQ(r.err.substr(r.err.find(" to ")), " to " + Out("icon2.bmp") + "\n");
    EXPECT_EQ(Run("save-all --colors 256 " + Q(dir_ / "in") + " " + Q(dir_ / "out")).status, 0);
    EXPECT_EQ(fs::file_size(Out("icon4.ico")), 2238u);
}

// Names in OUTDIR that are not plain files are never written, whatever they
// point at: each is one line on stderr, the others are saved, and the
// status says something failed.
TEST_F(SaveCommand, SaveAllWritesNoNameThatIsNotAPlainFile)
{
    ASSERT_TRUE(WriteFile(dir_ / "five.dll", PeFile(Groups(5, { ImageSpec {} }))));
    std::ofstream(dir_ / "victim") << "keep";
    fs::create_symlink("../victim", Out("icon1.ico"));
    fs::create_symlink("../created", Out("icon2.ico"));
    fs::create_directory(Out("icon3.ico"));
    ASSERT_EQ(::mkfifo(Out("icon4.ico").c_str(), 0600), 0);
    const ToolRun r = Run("save-all " + Q(dir_ / "five.dll") + " " + Q(dir_ / "out"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Slurp(dir_ / "victim"), "keep");
    EXPECT_FALSE(fs::exists(dir_ / "created"));
    EXPECT_TRUE(fs::is_fifo(Out("icon4.ico")));
    EXPECT_EQ(fs::file_size(Out("icon5.ico")), 4286u);
    std::string lines;
    for (int n = 1; n <= 4; ++n)
        lines += "Error saving " + (dir_ / "five.dll").string() + " #" + std::to_string(n - 1) + " to "
            + Out("icon" + std::to_string(n) + ".ico") + "\n";
    EXPECT_EQ(r.err, lines);
    EXPECT_EQ(r.out, "1 icon(s) saved to " + (dir_ / "out").string() + "\n");
}
