#pragma once

// Shared by the scan benchmarks: a window-side view that counts what it is
// shown, a scratch folder and a tree of folders to scan, a scan served by a
// Qt event loop the way the main window serves it, and the walk timed against
// find(1).

#include "core/ScanEngine.h"
#include "core/PlainScanView.h"

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace orbisk::bench {

// Counts what the scan shows, over a 20 x 10 cell grid.
class CountingView : public PlainScanView {
public:
    CountingView()
    {
        width = 740;
        height = 370;
    }
    void SetPanelText(int panel, const std::string& text) override
    {
        PlainScanView::SetPanelText(panel, text);
        ++texts;
    }
    void Repaint() override { ++repaints; }

    long texts = 0;
    long repaints = 0;
};

class ScratchDir {
public:
    explicit ScratchDir(const char* tag)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (std::string("orbisk-") + tag + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Makes root/topT and root/topT/subS, `tops` x (1 + `subs`) folders in all,
// filling each with fill(folder) as soon as it is made.
template <typename Fill>
void MakeTree(const std::string& root, int tops, int subs, Fill fill)
{
    for (int t = 0; t < tops; ++t) {
        const std::string top = root + "/top" + std::to_string(t);
        std::filesystem::create_directory(top);
        fill(top);
        for (int s = 0; s < subs; ++s) {
            const std::string sub = top + "/sub" + std::to_string(s);
            std::filesystem::create_directory(sub);
            fill(sub);
        }
    }
}

// Starts a scan and serves the event loop until it has ended and everything
// it posted has been shown. Returns the seconds taken.
inline double ServeScan(ScanEngine& engine, const std::string& path)
{
    const auto start = std::chrono::steady_clock::now();
    engine.BeginScan(path);
    while (engine.ScanRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    engine.EndScan(); // the last updates
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Scans root and returns the seconds the walk took: it is over when the first
// file is asked for its icons (extraction is stubbed to find none), or at the
// scan's end when no file was.
inline double WalkSeconds(ScanEngine& engine, const std::string& root)
{
    std::atomic<bool> walked { false };
    std::chrono::steady_clock::time_point walkEnd {};
    engine.SetHooks(ScanHooks { [&](const std::string&, int) -> HICON {
                                   if (!walked.exchange(true))
                                       walkEnd = std::chrono::steady_clock::now();
                                   return nullptr;
                               },
        {} });
    const auto start = std::chrono::steady_clock::now();
    engine.BeginScan(root);
    while (engine.ScanRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    engine.EndScan();
    return std::chrono::duration<double>((walked ? walkEnd : std::chrono::steady_clock::now()) - start).count();
}

// The seconds `find root -type f` takes.
inline double FindSeconds(const std::string& root)
{
    const std::string command = "find '" + root + "' -type f > /dev/null";
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "find failed\n");
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace orbisk::bench
