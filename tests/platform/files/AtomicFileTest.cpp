#include "platform/files/AtomicFile.h"
#include "platform/settings/PrivateProfile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace orbisk;
namespace fs = std::filesystem;

namespace {

struct TempFolder {
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "orbisk-atomic-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { fs::remove_all(path); }
    std::size_t EntryCount() const { return std::size_t(std::distance(fs::directory_iterator(path), {})); }
    fs::path path;
};

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Makes every file write beyond limit bytes fail, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_ {};
    void (*oldHandler_)(int) = nullptr;
};

// Runs the file operations of this thread as an ordinary user, whose
// permissions hold (root's are not checked). Nothing to do for a user.
class AsOrdinaryUser {
public:
    AsOrdinaryUser()
        : root_(::geteuid() == 0)
    {
        if (root_) {
            ::setfsgid(nobody);
            ::setfsuid(nobody);
        }
    }
    ~AsOrdinaryUser()
    {
        if (root_) {
            ::setfsuid(0);
            ::setfsgid(0);
        }
    }
    static constexpr uid_t nobody = 65534;

private:
    bool root_;
};

struct stat StatOf(const fs::path& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

} // namespace

TEST(AtomicFile, AFailedWriteLeavesTheOldFileWholeAndNoTemporaryFile)
{
    TempFolder folder;
    const fs::path ini = folder.path / "orbisk.ini";
    ASSERT_FALSE(ReplaceFileContents(ini.string(), "[Display]\nFormTop=5\n"));
    {
        FileSizeLimit limit(4096);
        EXPECT_TRUE(ReplaceFileContents(ini.string(), std::string(100000, 'x')));
        EXPECT_FALSE(WritePrivateProfileString("Display", "StartInFolder", std::string(8000, 'y'), ini.string()));
    }
    EXPECT_EQ(Slurp(ini), "[Display]\nFormTop=5\n");
    EXPECT_EQ(folder.EntryCount(), 1u);

    // Renaming over a folder fails too; the temporary file goes away.
    fs::create_directory(folder.path / "dir.ini");
    EXPECT_TRUE(ReplaceFileContents((folder.path / "dir.ini").string(), "x"));
    EXPECT_EQ(folder.EntryCount(), 2u);
}

TEST(AtomicFile, WritesThroughLinksAlsoDanglingOnes)
{
    TempFolder folder;
    const fs::path target = folder.path / "real.ini";
    const fs::path link = folder.path / "orbisk.ini";
    fs::create_directory(folder.path / "sub");
    // orbisk.ini -> sub/hop -> ../real.ini, which does not exist yet.
    fs::create_symlink("sub/hop", link);
    fs::create_symlink("../real.ini", folder.path / "sub/hop");

    ASSERT_FALSE(ReplaceFileContents(link.string(), "first"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Slurp(target), "first");
    ASSERT_FALSE(ReplaceFileContents(link.string(), "second"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Slurp(target), "second");

    fs::create_symlink("loop", folder.path / "loop");
    EXPECT_EQ(ReplaceFileContents((folder.path / "loop").string(), "x"), std::errc::too_many_symbolic_link_levels);
}

// A name the user picked to save over may be a link to a file; a link to
// nothing is no file to replace.
TEST(AtomicFile, ASavedFileGoesThroughALinkOnlyToAFileThatExists)
{
    TempFolder folder;
    std::ofstream(folder.path / "real.ico") << "old";
    fs::create_symlink("real.ico", folder.path / "picked.ico");
    fs::create_symlink("nothing.ico", folder.path / "dangling.ico");
    AtomicFile file;
    ASSERT_FALSE(file.Open((folder.path / "picked.ico").string()));
    file.Write("new", 3);
    ASSERT_FALSE(file.Commit());
    EXPECT_EQ(Slurp(folder.path / "real.ico"), "new");
    EXPECT_EQ(file.Open((folder.path / "dangling.ico").string()), std::errc::no_such_file_or_directory);
    EXPECT_FALSE(fs::exists(folder.path / "nothing.ico"));
    EXPECT_EQ(folder.EntryCount(), 3u);
}

// The files of a batch: plain files in the folder that was opened, and
// nothing else, whatever the folder holds or becomes.
TEST(AtomicFile, FilesInAnOpenFolderAreWrittenOnlyAsPlainFiles)
{
    TempFolder folder;
    const fs::path out = folder.path / "out";
    fs::create_directory(out);
    std::ofstream(folder.path / "victim") << "keep";
    fs::create_symlink("../victim", out / "link");
    fs::create_symlink("../not-yet", out / "dangling");
    ASSERT_EQ(::mkfifo((out / "fifo").c_str(), 0600), 0);
    fs::create_directory(out / "dir");
    std::ofstream(out / "old") << "old";
    fs::create_hard_link(out / "old", folder.path / "other-name");

    OutputFolder output;
    ASSERT_FALSE(output.Open(out.string()));
    const auto write = [&output](const std::string& name) {
        AtomicFile file;
        if (const std::error_code error = file.OpenIn(output.Fd(), name))
            return error;
        file.Write("new", 3);
        return file.Commit();
    };
    EXPECT_EQ(write("link"), std::errc::too_many_symbolic_link_levels);
    EXPECT_EQ(write("dangling"), std::errc::too_many_symbolic_link_levels);
    EXPECT_EQ(write("fifo"), std::errc::invalid_argument);
    EXPECT_EQ(write("dir"), std::errc::is_a_directory);
    EXPECT_EQ(write("../escape"), std::errc::invalid_argument);
    EXPECT_EQ(Slurp(folder.path / "victim"), "keep");
    EXPECT_FALSE(fs::exists(folder.path / "not-yet"));
    EXPECT_FALSE(fs::exists(folder.path / "escape"));

    // A file with another name elsewhere is replaced here only.
    ASSERT_FALSE(write("old"));
    EXPECT_EQ(Slurp(out / "old"), "new");
    EXPECT_EQ(Slurp(folder.path / "other-name"), "old");

    // The folder swapped for a link to another one half-way: the files still
    // go into the folder that was opened.
    fs::rename(out, folder.path / "moved");
    fs::create_directory(folder.path / "elsewhere");
    fs::create_symlink("elsewhere", out);
    ASSERT_FALSE(write("icon1.ico"));
    EXPECT_EQ(Slurp(folder.path / "moved" / "icon1.ico"), "new");
    EXPECT_TRUE(fs::is_empty(folder.path / "elsewhere"));
    EXPECT_FALSE(output.Sync());
}

TEST(AtomicFile, KeepsOwnerPermissionsAndHardLinks)
{
    TempFolder folder;
    const fs::path file = folder.path / "a.ico";
    const fs::path other = folder.path / "b.ico";
    ASSERT_FALSE(ReplaceFileContents(file.string(), "old"));
    ::chmod(file.c_str(), 0640);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(file.c_str(), AsOrdinaryUser::nobody, AsOrdinaryUser::nobody), 0);
    }
    const struct stat before = StatOf(file);

    ASSERT_FALSE(ReplaceFileContents(file.string(), "new"));
    struct stat after = StatOf(file);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(Slurp(file), "new");

    // A file with a second name is rewritten, not replaced: both names see
    // the new contents, cut to their length.
    ASSERT_EQ(::link(file.c_str(), other.c_str()), 0);
    ASSERT_FALSE(ReplaceFileContents(other.string(), "x"));
    EXPECT_EQ(StatOf(other).st_ino, StatOf(file).st_ino);
    EXPECT_EQ(Slurp(file), "x");
    EXPECT_EQ(folder.EntryCount(), 2u);
}

TEST(AtomicFile, WritableFileInAReadOnlyFolderIsWrittenInPlace)
{
    TempFolder folder;
    const fs::path file = folder.path / "a.ico";
    ASSERT_FALSE(ReplaceFileContents(file.string(), "a longer old text"));
    ::chmod(file.c_str(), 0666);
    ::chmod(folder.path.c_str(), 0555);
    const ino_t inode = StatOf(file).st_ino;
    std::error_code written, created;
    {
        AsOrdinaryUser user;
        written = ReplaceFileContents(file.string(), "new");
        created = ReplaceFileContents((folder.path / "b.ico").string(), "new");
    }
    ::chmod(folder.path.c_str(), 0755);
    EXPECT_FALSE(written);
    EXPECT_EQ(Slurp(file), "new");
    EXPECT_EQ(StatOf(file).st_ino, inode);
    EXPECT_EQ(created, std::errc::permission_denied); // a new file needs the folder
    EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(AtomicFile, ReadOnlyFileIsNeverReplaced)
{
    TempFolder folder;
    const fs::path ini = folder.path / "orbisk.ini";
    ASSERT_FALSE(ReplaceFileContents(ini.string(), "[Display]\nFormTop=5\n"));
    ::chmod(ini.c_str(), 0444); // read-only for root too
    EXPECT_EQ(ReplaceFileContents(ini.string(), "x"), std::errc::permission_denied);
    EXPECT_FALSE(WritePrivateProfileString("Display", "FormTop", "6", ini.string()));

    // A file whose permissions refuse the user, in a folder the user may
    // write: tried as another user where the tests run as root.
    if (::geteuid() == 0) {
        ::chmod(folder.path.c_str(), 0777);
        ::chmod(ini.c_str(), 0644);
        AsOrdinaryUser user;
        EXPECT_FALSE(WritePrivateProfileString("Display", "FormTop", "7", ini.string()));
    }
    EXPECT_EQ(Slurp(ini), "[Display]\nFormTop=5\n");
    EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(AtomicFile, ReadersNeverSeeATornFile)
{
    TempFolder folder;
    const fs::path ini = folder.path / "orbisk.ini";
    const std::string a(200000, 'a');
    const std::string b(150000, 'b');
    ASSERT_FALSE(ReplaceFileContents(ini.string(), a));

    std::atomic<bool> done { false };
    std::atomic<int> torn { 0 };
    std::atomic<int> reads { 0 };
    std::thread reader([&] {
        while (!done) {
            const std::string seen = Slurp(ini);
            if (seen != a && seen != b)
                ++torn;
            ++reads;
        }
    });
    for (int i = 0; i < 60; ++i)
        ASSERT_FALSE(ReplaceFileContents(ini.string(), i % 2 ? a : b));
    done = true;
    reader.join();
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
    EXPECT_EQ(folder.EntryCount(), 1u);
}
