#pragma once

#include "platform/jobs/JobMailbox.h"

#include <array>
#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

// Where the scanning worker leaves what the window is to show, and where the
// window leaves what the worker needs to know of the window (the grid's client
// size). One scan has one mailbox, shared by the engine and the worker, so a
// worker left behind keeps its own. The worker never waits for the window
// thread: posting takes the job's gate and a short lock, and a worker left
// behind posts nothing (see JobControl).
//
// Status texts are coalesced: each panel keeps only its latest text until the
// window takes it. Everything else (the caption, grid growth, arrangement) is
// queued and delivered in the order posted.
class ScanMailbox {
public:
    struct Update {
        enum Kind { Caption, Grow, Arrange };
        Kind kind;
        std::string text; // Caption; a panel's text
        long long iconCount = 0; // Grow
        int fitColumns = 0; // Grow
        int fitRows = 0; // Grow
    };
    struct Batch {
        std::vector<Update> updates;
        std::array<std::optional<std::string>, 3> panels;
        bool empty() const { return updates.empty() && !panels[0] && !panels[1] && !panels[2]; }
    };

    // wake, when given, is signalled after each post.
    explicit ScanMailbox(WindowWake* wake = nullptr);
    ScanMailbox(const ScanMailbox&) = delete;
    ScanMailbox& operator=(const ScanMailbox&) = delete;

    // The worker's job, whose gate every post goes through; until it is
    // set, posts go through a gate of the mailbox's own that never shuts.
    void SetJob(JobControl& job) { job_ = &job; }

    // Worker side.
    void PostStatus(int panel, std::string_view text);
    void PostCaption(std::string text);
    void PostGrow(long long iconCount, int fitColumns, int fitRows);
    void PostArrange();
    // The worker's last post: the window is woken at once.
    void PostFinished();
    int GridClientWidth() const { return clientWidth_.load(std::memory_order_relaxed); }
    int GridClientHeight() const { return clientHeight_.load(std::memory_order_relaxed); }

    // Window side.
    Batch Take();
    void Drop() { box_.Drop(); }
    void PublishGridClientSize(int width, int height);

private:
    JobMailbox<Update, 3> box_;
    WindowWake* wake_;
    JobControl ownGate_;
    JobControl* job_ = &ownGate_;
    std::atomic<int> clientWidth_ { 0 };
    std::atomic<int> clientHeight_ { 0 };
};

} // namespace orbisk
