#include "tests/support/GateFs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <future>
#include <string>
#include <thread>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orbisk::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class GateFsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!GateFs::Available())
            GTEST_SKIP() << "no gated file system here: " << GateFs::WhyUnavailable();
    }
};

// stat on another thread; its result once the call returns.
std::future<int> StatLater(const fs::path& path)
{
    return std::async(std::launch::async, [path] {
        struct stat st{};
        return stat(path.c_str(), &st);
    });
}

bool MountedAt(const fs::path& path)
{
    std::ifstream table("/proc/self/mountinfo");
    for (std::string line; std::getline(table, line);)
        if (line.find(" " + path.string() + " ") != std::string::npos)
            return true;
    return false;
}

TEST_F(GateFsTest, MirrorsTheSourceFolderBothWays)
{
    GateFs gate;
    std::ofstream(gate.SourceFolder() / "in.txt") << "from the source";
    std::string text;
    std::getline(std::ifstream(gate.MountPoint() / "in.txt"), text);
    EXPECT_EQ(text, "from the source");

    // Written, synced and renamed through the mount, the way a save does.
    {
        std::ofstream(gate.MountPoint() / "out.tmp") << "through the mount";
    }
    const int fd = open((gate.MountPoint() / "out.tmp").c_str(), O_RDWR);
    ASSERT_NE(fd, -1);
    EXPECT_EQ(fsync(fd), 0);
    EXPECT_EQ(syncfs(fd), 0);
    close(fd);
    fs::rename(gate.MountPoint() / "out.tmp", gate.MountPoint() / "out.txt");
    std::getline(std::ifstream(gate.SourceFolder() / "out.txt"), text);
    EXPECT_EQ(text, "through the mount");
    EXPECT_EQ(std::distance(fs::directory_iterator(gate.MountPoint()), fs::directory_iterator()), 2);
}

TEST_F(GateFsTest, AClosedGateHoldsCallsUntilItOpens)
{
    GateFs gate;
    std::ofstream(gate.SourceFolder() / "a.ico") << "icon";

    gate.Close();
    auto held = StatLater(gate.MountPoint() / "a.ico");
    ASSERT_TRUE(gate.WaitUntilWaiting(1));
    EXPECT_EQ(held.wait_for(300ms), std::future_status::timeout);
    gate.Open();
    ASSERT_EQ(held.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(held.get(), 0);

    // Closing after two writes: the third write is held, the first two are in.
    gate.CloseAfterWrites(2);
    auto writer = std::async(std::launch::async, [&] {
        const int fd = open((gate.MountPoint() / "batch").c_str(), O_WRONLY | O_CREAT, 0644);
        for (char c : {'1', '2', '3'})
            if (write(fd, &c, 1) != 1)
                return false;
        return close(fd) == 0;
    });
    ASSERT_TRUE(gate.WaitUntilWaiting(1));
    EXPECT_TRUE(gate.Read().closed);
    EXPECT_EQ(fs::file_size(gate.SourceFolder() / "batch"), 2u);
    gate.Open();
    ASSERT_EQ(writer.wait_for(10s), std::future_status::ready);
    EXPECT_TRUE(writer.get());
    EXPECT_EQ(fs::file_size(gate.SourceFolder() / "batch"), 3u);
}

TEST_F(GateFsTest, TheDestructorCleansUpWhileACallIsHeld)
{
    auto gate = std::make_unique<GateFs>();
    const fs::path mount = gate->MountPoint();
    // A file left open keeps the mount busy: only a lazy unmount removes it.
    const int kept = open((mount / "kept").c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_NE(kept, -1);
    gate->Close();
    auto held = StatLater(mount / "missing");
    ASSERT_TRUE(gate->WaitUntilWaiting(1));

    gate.reset();
    ASSERT_EQ(held.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(held.get(), -1); // the file is not there, but the call came back
    EXPECT_FALSE(MountedAt(mount));
    EXPECT_FALSE(fs::exists(mount.parent_path()));
    close(kept);
}

// A test killed while one of its threads is held at the gate: orbisk-gatefs
// sees its parent go, opens the gate so the held thread can end, unmounts and
// ends cleanly (under the sanitizers: without a leak report).
TEST_F(GateFsTest, AKilledTestLeavesNoMountBehind)
{
    // orbisk-gatefs, orphaned, comes to this process to be reaped.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    int pipeFds[2];
    ASSERT_EQ(pipe2(pipeFds, O_CLOEXEC), 0);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        close(pipeFds[0]);
        GateFs* gate = new GateFs; // never destroyed: the process is killed
        gate->Close();
        std::thread([path = gate->MountPoint()] {
            struct stat st{};
            stat(path.c_str(), &st);
        }).detach();
        gate->WaitUntilWaiting(1);
        const std::string said = std::to_string(gate->Pid()) + " " + gate->MountPoint().string();
        if (write(pipeFds[1], said.data(), said.size()) != ssize_t(said.size()))
            _exit(1);
        close(pipeFds[1]);
        pause();
        _exit(0);
    }
    close(pipeFds[1]);
    std::string said;
    char buf[512];
    for (ssize_t n; (n = read(pipeFds[0], buf, sizeof buf)) > 0;)
        said.append(buf, std::size_t(n));
    close(pipeFds[0]);
    const auto space = said.find(' ');
    ASSERT_NE(space, std::string::npos);
    const pid_t daemon = std::stoi(said.substr(0, space));
    const fs::path mount = said.substr(space + 1);
    EXPECT_TRUE(MountedAt(mount));

    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    pid_t reaped = 0;
    while ((reaped = waitpid(daemon, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    ASSERT_EQ(reaped, daemon) << "orbisk-gatefs still runs after its parent was killed";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
    EXPECT_FALSE(MountedAt(mount));
    std::error_code ignored;
    fs::remove_all(mount.parent_path(), ignored);
}

} // namespace
} // namespace orbisk::test
