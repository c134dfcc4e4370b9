#include "core/ScanEngine.h"
#include "ScanTestSupport.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include <sys/stat.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

struct EngineFixture : ::testing::Test {
    RecordingView view;
    FakeExtractor extract;
    ScanHooks hooks;
    std::unique_ptr<ScanEngine> engine;
    long iconsBefore = LiveIconCount();

    void SetUp() override
    {
        engine = std::make_unique<ScanEngine>(view);
        engine->SetWithSub(true);
        hooks.extract = extract.Fn();
        engine->SetHooks(hooks);
    }
    void TearDown() override
    {
        engine.reset();
        EXPECT_EQ(LiveIconCount(), iconsBefore) << "every icon handle destroyed exactly once";
    }
    void UseHooks()
    {
        hooks.extract = extract.Fn();
        engine->SetHooks(hooks);
    }
    void ScanToEnd(const std::string& path)
    {
        engine->BeginScan(path);
        ASSERT_TRUE(engine->WaitForScan(std::chrono::seconds(20)));
    }
    std::vector<std::string> IconNames() const
    {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < engine->Icons().size(); ++i)
            out.push_back(engine->IconName(i));
        return out;
    }
};

} // namespace

TEST_F(EngineFixture, FullScanShowsCountsAndArrangesTwice)
{
    TempTree t;
    t.File("a3.ico");
    t.File("sub/b2.dll");
    t.File("sub/none.exe");
    ScanToEnd(t.Root() + "/");
    EXPECT_EQ(engine->ScanRoot(), t.Root());
    EXPECT_TRUE(engine->ScanStopped());
    EXPECT_EQ(engine->Files().size(), 3u);
    ASSERT_EQ(engine->Icons().size(), 5u);
    EXPECT_EQ(IconNames()[0], t.Path("a3.ico") + " #0");
    EXPECT_EQ(IconNames()[4], t.Path("sub/b2.dll") + " #1");
    EXPECT_EQ(view.panels, (std::array<std::string, 3> { "3 files", "5 icon(s) loaded", "" }));
    EXPECT_EQ(view.caption, "Folder: " + t.Root());
    EXPECT_EQ(view.cols, 5);
    EXPECT_EQ(view.rows, 1);
    const auto repaints = std::count(view.log.begin(), view.log.end(), "repaint");
    EXPECT_EQ(repaints, 3) << "the reset at the start, then two arrangements";

    // A scan that finds nothing ends at zero icons in a 1 x 1 grid.
    ScanToEnd(t.Path("sub/none.exe") + "-missing");
    EXPECT_EQ(view.panels[1], "0 icon(s) loaded");
    EXPECT_EQ(view.panels[2], "");
    EXPECT_EQ(view.cols, 1);
    EXPECT_EQ(view.rows, 1);
}

TEST_F(EngineFixture, OneFileInTheRootFolder)
{
    // Extraction is faked, so the file need not exist: only the paths matter.
    engine->SetOneFileMode(true);
    engine->SetFileExt("");
    ScanToEnd("/orbisk-test-x2.zzz");
    ASSERT_EQ(engine->Folders().size(), 1u);
    EXPECT_EQ(engine->Folders()[0], "/");
    EXPECT_EQ(engine->Files()[0].FileName, "orbisk-test-x2.zzz");
    EXPECT_EQ(extract.Calls(), (std::vector<std::string> { "/orbisk-test-x2.zzz #0", "/orbisk-test-x2.zzz #1", "/orbisk-test-x2.zzz #2" }));
    EXPECT_EQ(IconNames(), (std::vector<std::string> { "/orbisk-test-x2.zzz #0", "/orbisk-test-x2.zzz #1" }));
    EXPECT_EQ(view.caption, "File: /orbisk-test-x2.zzz");
    EXPECT_EQ(view.panels, (std::array<std::string, 3> { "", "2 icon(s) loaded", "" }));
}

TEST_F(EngineFixture, StopDuringTheWalkKeepsWhatWasRecorded)
{
    TempTree t;
    for (int i = 0; i < 20; ++i)
        t.File("f" + std::to_string(i) + "_1.ico");
    HoldPoint hold;
    std::atomic<int> entries { 0 };
    std::atomic<std::size_t> recordedAtStop { 0 };
    hooks.afterEntry = [&] {
        if (++entries == 8) {
            recordedAtStop = engine->Files().size();
            hold.ReachAndHoldUntilStopped(*engine);
        }
    };
    UseHooks();
    engine->BeginScan(t.Root());
    ASSERT_TRUE(hold.WaitReached());
    engine->EndScan();
    EXPECT_TRUE(engine->ScanStopped());
    EXPECT_EQ(engine->Files().size(), recordedAtStop.load());
    EXPECT_GT(recordedAtStop.load(), 0u);
    EXPECT_TRUE(engine->Icons().empty());
    EXPECT_TRUE(extract.Calls().empty());
    EXPECT_EQ(view.panels[0], std::to_string(recordedAtStop.load()) + " files");
    EXPECT_EQ(view.panels[1], "");
    EXPECT_EQ(view.panels[2], "Scanning " + t.Root());
    EXPECT_EQ(view.cols, 1);
    EXPECT_EQ(view.rows, 1);
}

TEST_F(EngineFixture, StopDuringExtractionKeepsTheIconsMade)
{
    TempTree t;
    t.File("only4.ico");
    t.File("sub/other3.ico");
    HoldPoint hold;
    extract.beforeReturn = [&](const std::string&, int n) {
        if (n == 1)
            hold.ReachAndHoldUntilStopped(*engine);
    };
    engine->SetWithSub(false);
    UseHooks();
    engine->BeginScan(t.Root());
    ASSERT_TRUE(hold.WaitReached());
    engine->EndScan();
    // Icon 1 was being made when the stop came: it stays, nothing more is asked.
    EXPECT_EQ(extract.Calls(), (std::vector<std::string> { t.Path("only4.ico #0"), t.Path("only4.ico #1") }));
    EXPECT_EQ(engine->Icons().size(), 2u);
    EXPECT_EQ(view.panels[1], "2 icon(s) loaded");
    EXPECT_EQ(view.panels[2], "");
    EXPECT_EQ(view.cols, 2); // arranged to show the kept icons
    EXPECT_EQ(view.rows, 1);
}

TEST_F(EngineFixture, BeginScanWhileScanningKeepsOnlyTheSecondFolder)
{
    TempTree first, second;
    for (int i = 0; i < 10; ++i)
        first.File("old" + std::to_string(i) + "_1.ico");
    second.File("new2.ico");
    HoldPoint hold;
    hooks.afterEntry = [&] {
        if (!hold.Reached())
            hold.ReachAndHoldUntilStopped(*engine);
    };
    UseHooks();
    engine->BeginScan(first.Root());
    ASSERT_TRUE(hold.WaitReached());
    const std::size_t logStart = view.log.size();
    engine->BeginScan(second.Root());
    ASSERT_TRUE(engine->WaitForScan(std::chrono::seconds(20)));
    EXPECT_EQ(engine->Folders()[0], second.Root());
    EXPECT_EQ(IconNames(), (std::vector<std::string> { second.Path("new2.ico #0"), second.Path("new2.ico #1") }));
    for (std::size_t i = logStart; i < view.log.size(); ++i)
        EXPECT_EQ(view.log[i].find(first.Root()), std::string::npos) << "old text shown: " << view.log[i];

    // An empty path changes nothing.
    engine->BeginScan("");
    EXPECT_EQ(engine->Icons().size(), 2u);
    EXPECT_EQ(engine->ScanRoot(), second.Root());
}

TEST_F(EngineFixture, EndScanWithoutAScanAndTwice)
{
    EXPECT_FALSE(engine->ScanStopped());
    engine->EndScan();
    EXPECT_TRUE(engine->ScanStopped());
    EXPECT_TRUE(view.log.empty());
    engine->EndScan();

    TempTree t;
    t.File("a1.ico");
    ScanToEnd(t.Root());
    const std::vector<std::string> log = view.log;
    engine->EndScan();
    engine->EndScan();
    EXPECT_EQ(view.log, log);
    EXPECT_EQ(engine->Icons().size(), 1u);
}

TEST(ScanEngine, SpecialAndUnreadableFilesNeverHoldTheScan)
{
    TempTree t;
    ASSERT_EQ(::mkfifo(t.Path("pipe.ico").c_str(), 0600), 0);
    t.File("locked.ico");
    ::chmod(t.Path("locked.ico").c_str(), 0);
    RecordingView view;
    ScanEngine engine(view); // the platform's own extraction
    engine.BeginScan(t.Root());
    ASSERT_TRUE(engine.WaitForScan(std::chrono::seconds(20))) << "a FIFO must never be opened";
    EXPECT_EQ(engine.Files().size(), 2u);
    EXPECT_EQ(view.panels[1], "0 icon(s) loaded");
}

TEST_F(EngineFixture, DeletingIconsArrangesAndFreesHandles)
{
    TempTree t;
    t.File("a5.ico");
    view.width = 74; // 2 columns
    ScanToEnd(t.Root());
    ASSERT_EQ(engine->Icons().size(), 5u);
    EXPECT_EQ(view.rows, 3);

    EXPECT_FALSE(engine->DeleteCurrentIcon(1, 2)); // the empty sixth cell
    EXPECT_TRUE(engine->DeleteCurrentIcon(1, 0)); // icon #1
    EXPECT_EQ(IconNames()[1], t.Path("a5.ico #2"));
    EXPECT_EQ(view.rows, 2);

    engine->Icons().MarkIcon(0);
    engine->Icons().MarkIcon(1);
    view.log.clear();
    engine->DeleteMarkedIcons();
    EXPECT_EQ(IconNames(), (std::vector<std::string> { t.Path("a5.ico #3"), t.Path("a5.ico #4") }));
    EXPECT_EQ(view.log.back(), "repaint");
    view.log.clear();
    engine->DeleteMarkedIcons(); // nothing marked: still arranged and repainted
    EXPECT_EQ(view.log, (std::vector<std::string> { "repaint" }));
}

TEST_F(EngineFixture, ManyStartsAndStopsWhileTheWindowReads)
{
    TempTree t;
    for (int d = 0; d < 8; ++d)
        for (int f = 0; f < 6; ++f)
            t.File("d" + std::to_string(d) + "/f" + std::to_string(f) + "_2.ico");
    for (int cycle = 0; cycle < 1000; ++cycle) {
        engine->BeginScan(t.Root());
        // What the window does meanwhile: paint (read every entry) and mark,
        // until the scan has got as far as this cycle lets it.
        const std::size_t stopAt = std::size_t(cycle % 97);
        while (engine->ScanRunning() && engine->Icons().size() < stopAt) {
            const TIconList& icons = engine->Icons();
            const std::size_t n = icons.size();
            for (std::size_t i = 0; i < n; ++i)
                ASSERT_NE(icons[i].Handle, nullptr);
            engine->Icons().MarkIcon(n / 2);
            std::this_thread::yield();
        }
        if (cycle % 10 == 9) {
            ASSERT_TRUE(engine->WaitForScan(std::chrono::seconds(20)));
            ASSERT_EQ(engine->Icons().size(), 96u);
        } else {
            engine->EndScan();
        }
        const TIconList& icons = engine->Icons();
        for (std::size_t i = 0; i < icons.size(); ++i) {
            ASSERT_LT(std::size_t(icons[i].FileIndex), engine->Files().size());
            ASSERT_LT(icons[i].IconIndex, 2);
        }
    }
}

// A read of a disk that does not answer: EndScan, a new scan and the end of
// the engine go on without it, keep the icons found so far, and nothing of
// the stalled scan shows or lands in the lists once its read returns.
TEST_F(EngineFixture, AScanStuckInAReadIsLeftBehindAndNeverShowsAgain)
{
    TempTree t;
    t.File("b3.ico");
    TempTree other;
    other.File("c1.ico");
    std::mutex mutex;
    std::condition_variable changed;
    bool stuck = false, answer = false;
    extract.beforeReturn = [&](const std::string& path, int n) {
        if (path.find("b3.ico") == std::string::npos || n != 1)
            return;
        std::unique_lock lock(mutex);
        stuck = true;
        changed.notify_all();
        changed.wait(lock, [&] { return answer; });
    };
    engine->SetWithSub(false);
    UseHooks();
    engine->BeginScan(t.Root());
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return stuck; }));
    }
    engine->EndScan();
    EXPECT_TRUE(engine->ScanStopped());
    EXPECT_FALSE(engine->ScanRunning());
    EXPECT_EQ(Job::LeftBehind(), 1);
    EXPECT_EQ(IconNames(), (std::vector<std::string> { t.Path("b3.ico #0") }));
    engine->Icons().MarkIcon(0);
    engine->DeleteMarkedIcons(); // the kept lists are the window's own
    EXPECT_EQ(engine->Icons().size(), 0u);

    const std::vector<std::string> logBefore = view.log;
    ScanToEnd(other.Root());
    EXPECT_EQ(IconNames(), (std::vector<std::string> { other.Path("c1.ico #0") }));
    {
        const std::lock_guard lock(mutex);
        answer = true;
        changed.notify_all();
    }
    for (int i = 0; i < 1000 && Job::LeftBehind() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(Job::LeftBehind(), 0);
    engine->DeliverUpdates();
    EXPECT_EQ(IconNames(), (std::vector<std::string> { other.Path("c1.ico #0") }));
    for (std::size_t i = logBefore.size(); i < view.log.size(); ++i)
        EXPECT_EQ(view.log[i].find("b3.ico"), std::string::npos) << view.log[i];
}
