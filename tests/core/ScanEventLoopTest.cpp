#include "core/ScanEngine.h"
#include "ScanTestSupport.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace orbisk;
using namespace orbisk::test;

namespace {

// Serves the event loop until done() or the time is up.
bool ServeUntil(const std::function<bool()>& done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace

// The window's event loop alone shows the worker's texts and layout, while the
// scan runs and when it ends, with nobody waiting in EndScan.
TEST(ScanEventLoop, UpdatesArriveThroughTheWindowsEventLoop)
{
    int argc = 1;
    char name[] = "core_tests";
    char* argv[] = { name, nullptr };
    QCoreApplication app(argc, argv);

    TempTree t;
    for (int i = 0; i < 6; ++i)
        t.File("f" + std::to_string(i) + "_3.ico");
    RecordingView view;
    FakeExtractor extract;
    std::atomic<bool> release { false };
    {
        ScanEngine engine(view);
        ScanHooks hooks;
        hooks.extract = extract.Fn();
        // Hold the walk until the loop has shown the first texts.
        std::atomic<int> entries { 0 };
        hooks.afterEntry = [&] {
            if (++entries == 4) {
                while (!release.load())
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        };
        engine.SetHooks(hooks);
        engine.BeginScan(t.Root());
        EXPECT_TRUE(ServeUntil([&] { return view.panels[0].ends_with(" files") && view.caption == "Folder: " + t.Root(); }));
        EXPECT_EQ(view.panels[2], "Scanning " + t.Root());
        EXPECT_FALSE(engine.ScanStopped());
        release = true;
        EXPECT_TRUE(ServeUntil([&] { return view.panels[1] == "18 icon(s) loaded" && view.cols == 10; }));
        EXPECT_EQ(view.rows, 2);
        EXPECT_TRUE(engine.ScanStopped());
        EXPECT_FALSE(engine.ScanRunning());
    }
}
