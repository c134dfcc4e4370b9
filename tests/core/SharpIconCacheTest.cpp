#include "core/SharpIconCache.h"
#include "fixtures/Fixtures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

using namespace orbisk;
namespace fs = std::filesystem;

namespace {

UniqueIcon Square(int side)
{
    IconData d;
    d.width = d.height = side;
    d.color.assign(std::size_t(side) * std::size_t(side), 0xff102030u);
    d.mask.assign(std::size_t(IconData::MaskStride(side)) * std::size_t(side), 0);
    return UniqueIcon(CreateIcon(std::move(d)));
}

bool WaitIdle(const SharpIconCache& cache)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!cache.Idle()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::string NoPath() { return "file"; }

} // namespace

// Icon n's own group, and only an image larger than the 32-pixel icon counts.
TEST(SharpIcon, DrawsFromTheIconsOwnGroupAndOnlyWhenLarger)
{
    const fs::path dir = fs::temp_directory_path() / ("sharp-icon-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string dll = (dir / "a.dll").string();
    test::WriteFile(dll,
        test::PeFile({ { { test::ImageSpec { .width = 16, .height = 16 }, test::ImageSpec {} } },
            { { test::ImageSpec {}, test::ImageSpec { .width = 48, .height = 48 } } },
            { { test::ImageSpec { .width = 128, .height = 128 }, test::ImageSpec { .width = 256, .height = 256 } } } }));

    EXPECT_EQ(MakeSharpIcon(dll, 0, 64), nullptr); // nothing above 32 pixels
    const UniqueIcon mid = MakeSharpIcon(dll, 1, 64);
    ASSERT_NE(mid, nullptr);
    EXPECT_EQ(mid->width, 48); // never enlarged by itself: the painter does that
    const UniqueIcon big = MakeSharpIcon(dll, 2, 64);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->width, 64);
    EXPECT_EQ(big->height, 64);
    EXPECT_EQ(MakeSharpIcon(dll, 3, 64), nullptr);
    EXPECT_EQ(MakeSharpIcon((dir / "missing.dll").string(), 0, 64), nullptr);
    fs::remove_all(dir);

    EXPECT_EQ(SharpIconPixels(1.0), 32);
    EXPECT_EQ(SharpIconPixels(1.5), 48);
    EXPECT_EQ(SharpIconPixels(2.0), 64);
}

// Many icons asked for through a small cache: no more than its capacity is
// held, the last ones asked for are there, and an icon with no sharp image
// is not asked for again at every paint.
TEST(SharpIconCache, HoldsAtMostItsCapacity)
{
    std::atomic<int> loads { 0 };
    SharpIconCache cache([&](const std::string&, int n, int pixels) {
        ++loads;
        return n == 99 ? nullptr : Square(pixels);
    }, 4);
    for (int i = 0; i < 10; ++i) {
        cache.Find(0, i, 64, NoPath);
        ASSERT_TRUE(WaitIdle(cache));
    }
    EXPECT_LE(cache.HeldCount(), 4u);
    EXPECT_EQ(cache.HeldBytes(), 4 * (sizeof(IconData) + 64 * 64 * 4 + 64 * 8));
    ASSERT_NE(cache.Find(0, 9, 64, NoPath), nullptr);
    EXPECT_EQ(cache.Find(0, 9, 64, NoPath)->width, 64);

    const int before = loads.load();
    EXPECT_EQ(cache.Find(0, 99, 64, NoPath), nullptr);
    ASSERT_TRUE(WaitIdle(cache));
    EXPECT_EQ(cache.Find(0, 99, 64, NoPath), nullptr);
    EXPECT_EQ(cache.Find(0, 9, 48, NoPath), nullptr); // another screen's size is made anew
    ASSERT_TRUE(WaitIdle(cache));
    EXPECT_EQ(loads.load(), before + 2);
}

// An icon of the last scan still being made when a new scan starts must not
// land under the new scan's icon of the same place.
TEST(SharpIconCache, ForgetsWhatIsMadeAcrossAClear)
{
    std::mutex mutex;
    std::condition_variable cv;
    bool started = false, release = false;
    std::atomic<int> readies { 0 };
    SharpIconCache cache([&](const std::string& path, int, int) {
        std::unique_lock lock(mutex);
        started = true;
        cv.notify_all();
        cv.wait(lock, [&] { return release || path == "new"; });
        return Square(path == "old" ? 40 : 64);
    });
    cache.SetOnReady([&] { ++readies; });
    EXPECT_EQ(cache.Find(3, 0, 64, [] { return std::string("old"); }), nullptr);
    {
        std::unique_lock lock(mutex);
        cv.wait(lock, [&] { return started; });
    }
    cache.Clear();
    EXPECT_EQ(cache.Find(3, 0, 64, [] { return std::string("new"); }), nullptr);
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    cv.notify_all();
    ASSERT_TRUE(WaitIdle(cache));
    const HICON made = cache.Find(3, 0, 64, NoPath);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->width, 64);
    EXPECT_GE(readies.load(), 1);
    // The maker of the old scan's icon was left behind by the clear; it
    // uses this test's lock until it ends.
    for (int i = 0; i < 1000 && Job::LeftBehind() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(Job::LeftBehind(), 0);
}

// An icon whose file does not answer: the window's cache goes without
// waiting for it, and the maker, once the read returns, tells nobody.
TEST(SharpIconCache, EndsWithoutWaitingForAnIconStuckInARead)
{
    auto mutex = std::make_shared<std::mutex>();
    auto cv = std::make_shared<std::condition_variable>();
    auto started = std::make_shared<bool>(false);
    auto release = std::make_shared<bool>(false);
    std::atomic<int> readies { 0 };
    {
        SharpIconCache cache([=](const std::string&, int, int) {
            std::unique_lock lock(*mutex);
            *started = true;
            cv->notify_all();
            cv->wait(lock, [&] { return *release; });
            return Square(64);
        });
        cache.SetOnReady([&] { ++readies; });
        EXPECT_EQ(cache.Find(1, 0, 64, [] { return std::string("stuck"); }), nullptr);
        std::unique_lock lock(*mutex);
        cv->wait(lock, [&] { return *started; });
    }
    EXPECT_EQ(Job::LeftBehind(), 1);
    {
        const std::lock_guard lock(*mutex);
        *release = true;
    }
    cv->notify_all();
    for (int i = 0; i < 1000 && Job::LeftBehind() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(Job::LeftBehind(), 0);
    EXPECT_EQ(readies.load(), 0);
}
