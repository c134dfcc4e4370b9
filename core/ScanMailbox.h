#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

// Where the scanning worker leaves what the window is to show, and where the
// window leaves what the worker needs to know of the window (the grid's client
// size). The worker never waits for the window thread: posting only takes a
// short lock, so stopping and joining the worker can never deadlock.
//
// Status texts are coalesced: each panel keeps only its latest text until the
// window takes it. Everything else (the caption, grid growth, arrangement) is
// queued and delivered in the order posted.
class ScanMailbox {
public:
    struct Update {
        enum Kind { Caption, Grow, Arrange };
        Kind kind;
        std::string text; // Caption
        long long iconCount = 0; // Grow
        int fitColumns = 0; // Grow
        int fitRows = 0; // Grow
    };
    struct Batch {
        std::vector<Update> updates;
        std::array<std::optional<std::string>, 3> panels;
        bool empty() const { return updates.empty() && !panels[0] && !panels[1] && !panels[2]; }
    };

    // wake is called on the worker thread after a post when the window has
    // taken everything posted before; it must only ask the window thread to
    // call Take soon (for instance through a queued call) and never block.
    explicit ScanMailbox(std::function<void()> wake = {});

    // Worker side.
    void PostStatus(int panel, std::string_view text);
    void PostCaption(std::string text);
    void PostGrow(long long iconCount, int fitColumns, int fitRows);
    void PostArrange();
    // The worker's last act: wakes the window even if a wake is pending, so
    // that the end of a scan shows at once.
    void PostFinished();
    int GridClientWidth() const { return clientWidth_.load(std::memory_order_relaxed); }
    int GridClientHeight() const { return clientHeight_.load(std::memory_order_relaxed); }

    // Window side.
    Batch Take();
    void Drop();
    void PublishGridClientSize(int width, int height);
    // Turns waking on or off (off where no event loop could ever deliver it).
    void SetWakeEnabled(bool on) { wakeEnabled_.store(on, std::memory_order_relaxed); }

private:
    void Wake();

    std::function<void()> wake_;
    std::atomic<bool> wakeEnabled_ { true };
    std::atomic<bool> wakePending_ { false };

    std::mutex mutex_;
    std::vector<Update> updates_;
    std::array<std::string, 3> panels_;
    std::array<bool, 3> panelPosted_ {};

    std::atomic<int> clientWidth_ { 0 };
    std::atomic<int> clientHeight_ { 0 };
};

} // namespace orbisk
