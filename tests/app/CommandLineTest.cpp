#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

using namespace orbisk;
namespace fs = std::filesystem;

namespace {

// A scratch folder that is the working folder while the test runs:
//   dir/a.ico, dir/deep/, link -> dir/deep, -x.ico, and a name that is not UTF-8.
class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "orbisk-cmdline-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        // The working folder is reported without links, so expect that form.
        root_ = fs::canonical(pattern).string();
        fs::create_directories(root_ + "/dir/deep");
        fs::create_directory_symlink("dir/deep", root_ + "/link");
        for (const char* name : { "/dir/a.ico", "/-x.ico", "/\xff\xfe.ico" })
            std::ofstream(root_ + name) << "x";
        oldCwd_ = fs::current_path();
        fs::current_path(root_);
    }
    void TearDown() override
    {
        fs::current_path(oldCwd_);
        fs::remove_all(root_);
    }

    std::string root_;
    fs::path oldCwd_;
};

TEST_F(CommandLineTest, OpensOneExistingPathAsAnAbsolutePath)
{
    EXPECT_EQ(ParseCommandLine({ "dir/./a.ico" }).openPath, root_ + "/dir/a.ico");
    EXPECT_EQ(ParseCommandLine({ root_ + "//dir/" }).openPath, root_ + "/dir");
    // The link's own name is kept...
    EXPECT_EQ(ParseCommandLine({ "link/" }).openPath, root_ + "/link");
    // ...but ".." after it goes up from where the link leads, as the kernel
    // takes it, not back to the folder that holds the link.
    EXPECT_EQ(ParseCommandLine({ "link/.." }).openPath, root_ + "/dir");
    // Names are bytes: one that is not UTF-8 arrives unchanged.
    EXPECT_EQ(ParseCommandLine({ "\xff\xfe.ico" }).openPath, root_ + "/\xff\xfe.ico");

    const CommandLine plain = ParseCommandLine({});
    EXPECT_TRUE(plain.openPath.empty());
    EXPECT_TRUE(plain.errors.empty());
}

TEST_F(CommandLineTest, APathThatCannotBeOpenedIsReportedAndTheStartGoesOn)
{
    const CommandLine missing = ParseCommandLine({ "nothing.ico" });
    EXPECT_TRUE(missing.openPath.empty());
    ASSERT_EQ(missing.errors.size(), 1u);
    EXPECT_EQ(missing.errors[0], "orbisk: cannot open nothing.ico: No such file or directory");
    EXPECT_FALSE(missing.showHelp);

    EXPECT_EQ(ParseCommandLine({ "" }).errors.size(), 1u);
    EXPECT_EQ(ParseCommandLine({ "dir/a.ico/x" }).errors.size(), 1u);

    // One path is opened; the others are named as ignored.
    const CommandLine two = ParseCommandLine({ "nothing.ico", "dir", "dir/a.ico" });
    EXPECT_EQ(two.openPath, root_ + "/dir");
    ASSERT_EQ(two.errors.size(), 2u);
    EXPECT_NE(two.errors[1].find("ignored: dir/a.ico"), std::string::npos);
}

TEST_F(CommandLineTest, OptionsEndAtTheDoubleDash)
{
    EXPECT_TRUE(ParseCommandLine({ "--help" }).showHelp);
    EXPECT_TRUE(ParseCommandLine({ "dir", "-h" }).showHelp);
    EXPECT_TRUE(ParseCommandLine({ "--version" }).showVersion);

    const CommandLine unknown = ParseCommandLine({ "-x.ico" });
    EXPECT_TRUE(unknown.openPath.empty());
    ASSERT_EQ(unknown.errors.size(), 1u);
    EXPECT_NE(unknown.errors[0].find("unknown option -x.ico"), std::string::npos);

    EXPECT_EQ(ParseCommandLine({ "--", "-x.ico" }).openPath, root_ + "/-x.ico");
    const CommandLine named = ParseCommandLine({ "--", "--help" });
    EXPECT_FALSE(named.showHelp);
    EXPECT_EQ(named.errors.size(), 1u);
}

} // namespace
