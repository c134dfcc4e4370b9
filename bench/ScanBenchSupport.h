#pragma once

// Shared by the scan benchmarks: a window-side view that counts what it is
// shown, a scratch folder, and a scan served by a Qt event loop the way the
// main window serves it.

#include "core/ScanEngine.h"
#include "core/PlainScanView.h"

#include <QCoreApplication>

#include <chrono>
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

} // namespace orbisk::bench
