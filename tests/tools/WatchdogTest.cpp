// The thumbnailer's watchdog, run in-process on work that blocks on purpose,
// as a read from a disk that stops answering does.

#include "Watchdog.h"

#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using orbisk::tool::Watchdog;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class WatchdogTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(tmp_.Path().empty());
        dir_ = tmp_.Path();
        std::ofstream(dir_ / ".thumb.png.tmp") << "half a thumbnail";
    }

    orbisk::test::TempDir tmp_ { "orbisk-watchdog" };
    fs::path dir_;
};

// Blocks in open() of a FIFO nobody writes to: a wait in the kernel that no
// signal handler of the process ends.
void BlockForever(const fs::path& fifo)
{
    ::mkfifo(fifo.c_str(), 0600);
    ::open(fifo.c_str(), O_RDONLY);
}

} // namespace

TEST_F(WatchdogTest, EndsBlockedWorkAndRemovesTheTemporaryFile)
{
    const fs::path temporary = dir_ / ".thumb.png.tmp";
    EXPECT_EXIT(
        {
            const Watchdog watchdog(200ms);
            Watchdog::SetTemporaryFile(temporary.string());
            BlockForever(dir_ / "fifo");
        },
        testing::ExitedWithCode(1), "takes too long; given up");
    EXPECT_FALSE(fs::exists(temporary));
}

TEST_F(WatchdogTest, ASignalThatEndsTheProcessRemovesTheTemporaryFileToo)
{
    const fs::path temporary = dir_ / ".thumb.png.tmp";
    EXPECT_EXIT(
        {
            const Watchdog watchdog(1h);
            Watchdog::SetTemporaryFile(temporary.string());
            ::kill(::getpid(), SIGTERM);
            BlockForever(dir_ / "fifo");
        },
        testing::ExitedWithCode(1), "stopped");
    EXPECT_FALSE(fs::exists(temporary));
}

// The clock runs out while the file is being made: it is still named, and
// removed, before the process ends.
TEST_F(WatchdogTest, AFileBeingMadeWhenTimeRunsOutIsRemovedToo)
{
    const fs::path temporary = dir_ / ".late.png.tmp";
    EXPECT_EXIT(
        {
            const Watchdog watchdog(50ms);
            {
                const Watchdog::Hold hold;
                std::ofstream(temporary) << "made";
                std::this_thread::sleep_for(300ms);
                Watchdog::SetTemporaryFile(temporary.string());
            }
            BlockForever(dir_ / "fifo");
        },
        testing::ExitedWithCode(1), "takes too long; given up");
    EXPECT_FALSE(fs::exists(temporary));
}

// Work that ends in time goes on; the file it finished is not touched.
TEST_F(WatchdogTest, WorkThatEndsInTimeIsLeftAlone)
{
    const fs::path temporary = dir_ / ".thumb.png.tmp";
    {
        const Watchdog watchdog(50ms);
        Watchdog::SetTemporaryFile(temporary.string());
        Watchdog::SetTemporaryFile({});
    }
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(fs::exists(temporary));
}
