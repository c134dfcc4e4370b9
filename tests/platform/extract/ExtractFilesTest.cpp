// What ExtractIcon opens, how much it reads, and how it follows files that
// change between two calls.

#include "platform/extract/ExtractIcon.h"
#include "platform/extract/FileSource.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

ImageSpec Solid(uint32_t color, int size = 32)
{
    return ImageSpec { .width = size, .height = size, .bits = 24, .pixel = [color](int, int) { return color; } };
}

// Every handle the tests got back was destroyed exactly once.
class LiveHandlesReturnToZero : public testing::Environment {
public:
    void TearDown() override { EXPECT_EQ(LiveIconCount(), 0); }
};
const auto* const liveHandles = testing::AddGlobalTestEnvironment(new LiveHandlesReturnToZero);

// Runs an extraction on another thread and fails if it takes long, so that a
// call that blocks shows as a failure rather than a hung test.
bool ReturnsNothingPromptly(const std::string& path)
{
    auto result = std::async(std::launch::async, [path] { return ExtractIconDetailed(path, 0, nullptr) == nullptr; });
    if (result.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << path << " blocked";
        std::_Exit(1); // the blocked thread can never be joined
    }
    return result.get();
}

} // namespace

TEST(ExtractFiles, FoldersAndSpecialFilesGiveNoIconAndNeverBlock)
{
    TempDir dir;
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string socketPath = dir.File("socket");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    for (const std::string& path : { dir.Path(), fifo, socketPath, std::string("/dev/zero"), std::string("/dev/null"),
                                     dir.File("missing.ico"), std::string() })
        EXPECT_TRUE(ReturnsNothingPromptly(path)) << path;
    ::close(sock);
    // A link to an icon file is an icon file.
    const std::string ico = dir.Write("a.ico", IcoFile({ Solid(0xff112233) }));
    ASSERT_EQ(::symlink(ico.c_str(), dir.File("link.ico").c_str()), 0);
    EXPECT_TRUE(ExtractIconDetailed(dir.File("link.ico"), 0, nullptr));
    // Content decides, never the name.
    EXPECT_TRUE(ExtractIconDetailed(dir.Write("icon.txt", IcoFile({ Solid(1) })), 0, nullptr));
    EXPECT_FALSE(ExtractIconDetailed(dir.Write("text.ico", Bytes(5000, 'x')), 0, nullptr));
}

TEST(ExtractFiles, OtherFilesCostOnlyTheirFirstBytes)
{
    TempDir dir;
    Bytes big(4 << 20, 'a');
    const std::string path = dir.Write("big.dat", big);
    uint64_t before = ExtractBytesRead();
    EXPECT_FALSE(ExtractIconDetailed(path, 0, nullptr));
    EXPECT_LE(ExtractBytesRead() - before, 64u);
    // A DOS program: "MZ" but no PE or NE header behind it.
    big[0] = 'M', big[1] = 'Z';
    const std::string dos = dir.Write("dos.exe", big);
    before = ExtractBytesRead();
    EXPECT_FALSE(ExtractIconDetailed(dos, 0, nullptr));
    EXPECT_LE(ExtractBytesRead() - before, 4096u * 2);
    // A program whose icons are a small part of it: only those are read.
    const Bytes program = PeFile(Groups(40, { ImageSpec { .width = 48, .height = 48 }, ImageSpec {} }));
    const std::string exe = dir.Write("program.exe", program);
    before = ExtractBytesRead();
    int icons = 0;
    while (UniqueIcon icon = ExtractIconDetailed(exe, icons, nullptr))
        ++icons;
    EXPECT_EQ(icons, 40);
    EXPECT_LT(ExtractBytesRead() - before, program.size() / 2);
}

TEST(ExtractFiles, FollowsFilesChangedBetweenCalls)
{
    TempDir dir;
    const std::string path = dir.File("changing.ico");
    WriteFile(path, IcoFile({ Solid(0xff0000ff) }));
    UniqueIcon icon = ExtractIconDetailed(path, 0, nullptr);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->Pixel(0, 0), 0xff0000ffu);
    // Rewritten in place with the same size: the new content shows.
    WriteFile(path, IcoFile({ Solid(0xff00ff00) }));
    timespec times[2] = { { 0, UTIME_OMIT }, { 12345, 0 } };
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    icon = ExtractIconDetailed(path, 0, nullptr);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->Pixel(0, 0), 0xff00ff00u);
    // Replaced by a program with two icons.
    const std::string other = dir.Write("other.dll", PeFile({ { { Solid(0xff000001) } }, { { Solid(0xff000002) } } }));
    ASSERT_EQ(::rename(other.c_str(), path.c_str()), 0);
    icon = ExtractIconDetailed(path, 1, nullptr);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->Pixel(0, 0), 0xff000002u);
    // Gone, then a FIFO under the same name.
    ASSERT_EQ(::unlink(path.c_str()), 0);
    EXPECT_FALSE(ExtractIconDetailed(path, 0, nullptr));
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_TRUE(ReturnsNothingPromptly(path));
}

TEST(ExtractFiles, ThreadsDoNotDisturbEachOther)
{
    TempDir dir;
    constexpr int kThreads = 4;
    std::vector<std::string> paths;
    for (int t = 0; t < kThreads; ++t) {
        std::vector<GroupSpec> groups;
        for (int g = 0; g < 5; ++g)
            groups.push_back({ { Solid(0xff000000u | uint32_t(t << 8 | g)) } });
        // Appended, not "t" + ...: GCC 12 at -O3 sees a false overlap in the latter.
        std::string name = "t";
        name += std::to_string(t);
        name += ".dll";
        paths.push_back(dir.Write(name, PeFile(groups)));
    }
    std::vector<int> wrong(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            // Each thread goes through its file and now and then a neighbour's.
            for (int round = 0; round < 20; ++round) {
                const int file = round % 5 == 4 ? (t + 1) % kThreads : t;
                for (int g = 0; g < 5; ++g) {
                    UniqueIcon icon = ExtractIconDetailed(paths[std::size_t(file)], g, nullptr);
                    wrong[std::size_t(t)] += !icon || icon->Pixel(3, 3) != (0xff000000u | uint32_t(file << 8 | g));
                }
            }
        });
    }
    for (std::thread& th : threads)
        th.join();
    EXPECT_EQ(wrong, std::vector<int>(kThreads, 0));
}

TEST(ExtractFiles, ExtractIconHandsOverOwnership)
{
    TempDir dir;
    const std::string path = dir.Write("a.ico", IcoFile({ Solid(0xff445566) }));
    const long before = LiveIconCount();
    HICON icon = ExtractIcon(path, 0);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LiveIconCount(), before + 1);
    EXPECT_EQ(icon->Pixel(1, 1), 0xff445566u);
    EXPECT_EQ(ExtractIcon(path, 1), nullptr);
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_EQ(LiveIconCount(), before);
}

// Files of one picture hold one image; an IconFile decodes an image its
// groups name many times once, and reads its file about once.
TEST(ExtractFiles, OnePictureIsOneImageAndDecodedOncePerFile)
{
    TempDir dir;
    const long images = SharedIconImageCount();
    const std::string a = dir.Write("a.ico", IcoFile({ Solid(0xff336699u) }));
    const std::string b = dir.Write("b.dll", PeFile({ GroupSpec { { Solid(0xff336699u) } } }));
    UniqueIcon fromA(ExtractIcon(a, 0));
    UniqueIcon fromB(ExtractIcon(b, 0));
    ASSERT_TRUE(fromA && fromB);
    EXPECT_EQ(fromA.get(), fromB.get());
    EXPECT_EQ(SharedIconImageCount(), images + 1);
    fromA.reset();
    EXPECT_EQ(fromB->Pixel(31, 31), 0xff336699u) << "the other file's icon is still drawable";
    fromB.reset();

    const Bytes crafted = ManyGroupsOneImagePe();
    const std::string path = dir.Write("crafted.dll", crafted);
    const uint64_t before = ExtractBytesRead();
    IconFile file = IconFile::Open(path);
    int icons = 0;
    HICON first = nullptr;
    while (UniqueIcon icon = file.Icon(icons)) {
        if (!first)
            first = CopyIcon(icon.get());
        EXPECT_EQ(icon.get(), first);
        ++icons;
    }
    EXPECT_EQ(icons, 65535);
    EXPECT_FALSE(file.TooManyImages());
    EXPECT_LE(ExtractBytesRead() - before, 2 * crafted.size());
    DestroyIcon(first);
}
