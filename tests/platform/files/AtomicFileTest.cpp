#include "platform/files/AtomicFile.h"
#include "platform/settings/PrivateProfile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

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

TEST(AtomicFile, KeepsLinksAndPermissions)
{
    TempFolder folder;
    const fs::path target = folder.path / "real.ini";
    const fs::path link = folder.path / "orbisk.ini";
    ASSERT_FALSE(ReplaceFileContents(target.string(), "old"));
    ::chmod(target.c_str(), 0640);
    fs::create_symlink(target, link);

    ASSERT_FALSE(ReplaceFileContents(link.string(), "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Slurp(target), "new");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
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
