#pragma once

#include "core/ScanEngine.h"
#include "core/ScanView.h"
#include "platform/pixels/IconHandle.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orbisk::test {

// A view that keeps the current texts and counts and logs every call.
class RecordingView : public ScanView {
public:
    void SetPanelText(int panel, const std::string& text) override
    {
        panels[std::size_t(panel)] = text;
        log.push_back("panel" + std::to_string(panel + 1) + ":" + text);
    }
    void SetCaption(const std::string& text) override
    {
        caption = text;
        log.push_back("caption:" + text);
    }
    int ColCount() const override { return cols; }
    int RowCount() const override { return rows; }
    void SetColCount(int c) override
    {
        cols = c;
        log.push_back("cols:" + std::to_string(c));
    }
    void SetRowCount(int r) override
    {
        rows = r;
        log.push_back("rows:" + std::to_string(r));
    }
    int ClientWidth() const override { return width; }
    int ClientHeight() const override { return height; }
    void Repaint() override { log.push_back("repaint"); }

    std::array<std::string, 3> panels;
    std::string caption;
    int cols = 1;
    int rows = 1;
    int width = 370; // 10 cells across
    int height = 111; // 3 cells down
    std::vector<std::string> log;
};

inline HICON BlankIcon()
{
    IconData d;
    d.width = 2;
    d.height = 2;
    d.color.assign(4, 0xff00ff00u);
    d.mask.assign(std::size_t(IconData::MaskStride(2)) * 2, 0);
    return CreateIcon(std::move(d));
}

// Stands in for the platform's extraction: a file named like "x3.ico" holds
// 3 icons (the digits before the extension), any other file none. Logs every
// call; thread-safe.
class FakeExtractor {
public:
    HICON operator()(const std::string& path, int n)
    {
        {
            std::lock_guard lock(mutex_);
            calls_.push_back(path + " #" + std::to_string(n));
        }
        if (beforeReturn)
            beforeReturn(path, n);
        return n < IconsIn(path) ? BlankIcon() : nullptr;
    }
    static int IconsIn(const std::string& path)
    {
        const std::string name = std::filesystem::path(path).stem().string();
        std::size_t digits = name.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])))
            --digits;
        return digits == name.size() ? 0 : std::atoi(name.c_str() + digits);
    }
    std::vector<std::string> Calls()
    {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    ExtractFn Fn()
    {
        return [this](const std::string& p, int n) { return (*this)(p, n); };
    }
    // Runs on the worker inside each call, before it returns.
    std::function<void(const std::string&, int)> beforeReturn;

private:
    std::mutex mutex_;
    std::vector<std::string> calls_;
};

// A one-shot meeting point between the worker and the test: the worker
// announces it has reached a point and then holds until the engine's stop
// flag is set, which is how a stop arrives at exactly that point. Neither
// side waits longer than Deadline: a test whose stop or worker never comes
// fails instead of hanging.
class HoldPoint {
public:
    static constexpr std::chrono::seconds Deadline { 10 };

    void ReachAndHoldUntilStopped(const ScanEngine& engine)
    {
        reached_.store(true);
        const auto end = std::chrono::steady_clock::now() + Deadline;
        while (!engine.ScanStopped() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    // False when the worker did not reach the point in time.
    [[nodiscard]] bool WaitReached() const
    {
        const auto end = std::chrono::steady_clock::now() + Deadline;
        while (!reached_.load()) {
            if (std::chrono::steady_clock::now() >= end)
                return false;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return true;
    }
    bool Reached() const { return reached_.load(); }

private:
    std::atomic<bool> reached_ { false };
};

// A scratch folder under the system's temporary folder, removed with its
// contents at the end.
class TempTree {
public:
    TempTree()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orbisk-core-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempTree()
    {
        std::error_code ec;
        // Give locked folders back their permissions so they can go.
        for (auto it = std::filesystem::recursive_directory_iterator(root_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec) && !it->is_symlink(ec))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                    std::filesystem::perm_options::add, ec);
        }
        std::filesystem::remove_all(root_, ec);
    }
    const std::string& Root() const { return root_; }
    std::string Path(const std::string& rel) const { return root_ + "/" + rel; }
    void File(const std::string& rel) const
    {
        std::filesystem::create_directories(std::filesystem::path(Path(rel)).parent_path());
        std::ofstream(Path(rel)) << "x";
    }
    void Folder(const std::string& rel) const { std::filesystem::create_directories(Path(rel)); }

private:
    std::string root_;
};

} // namespace orbisk::test
