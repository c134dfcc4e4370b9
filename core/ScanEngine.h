#pragma once

#include "core/PassesFilter.h"
#include "core/ScanJob.h"
#include "core/ScanLists.h"
#include "core/ScanMailbox.h"
#include "core/ScanView.h"
#include "platform/jobs/Job.h"
#include "platform/jobs/WindowWake.h"

#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <string>

class QTimer;

namespace orbisk {

// The scan: the three lists, the stop flag, the settings a scan reads and the
// worker that fills the lists. The main window owns one; orbisk-extract too.
//
// A window plugs in by implementing ScanView over its status bar, caption
// strip and grid, calling ArrangeGrid when the grid's panel is resized,
// EndScan before any command that changes the icon list or the settings, and
// painting from Icons(). A program without an event loop drives a scan with
// BeginScan and WaitForScan.
//
// Threads: every member function is for the thread that made the engine (the
// window thread). The worker runs as a Job and reports through a ScanMailbox;
// when a Qt event loop runs on the window thread, it delivers the updates to
// the view, at most every StatusInterval and never later than that after they
// were posted. Without an event loop they are delivered by EndScan and
// WaitForScan.
//
// Stopping never waits long: a worker that has not ended Job::StopWait after
// the stop was asked for is blocked in a read of a disk that does not answer.
// It is left behind with the scan's lists and mailbox; the engine goes on with
// a copy of the icons found so far, and nothing of the old scan shows again.
//
// While a scan runs the window may read the lists (below their size()) and
// mark icons; see TIconList. Removing icons ends the scan first.
class ScanEngine {
public:
    static constexpr std::chrono::milliseconds StatusInterval { 25 };

    explicit ScanEngine(ScanView& view);
    ScanEngine(const ScanEngine&) = delete;
    ScanEngine& operator=(const ScanEngine&) = delete;
    // Stops a running scan (leaving it behind if it does not end) without
    // showing anything more.
    ~ScanEngine();

    // Settings, read by the next BeginScan (a running scan keeps its copy).
    void SetWithSub(bool on) { withSub_ = on; }
    bool WithSub() const { return withSub_; }
    void SetFileExt(std::string fileExt) { fileExt_ = std::move(fileExt); }
    const std::string& FileExt() const { return fileExt_; }
    // True when the next BeginScan's path names one file.
    void SetOneFileMode(bool on) { oneFileMode_ = on; }
    bool OneFileMode() const { return oneFileMode_; }
    void SetHooks(ScanHooks hooks) { hooks_ = std::move(hooks); }
    // Threads that read folders and files ahead of the worker (0: none).
    void SetReaderThreads(int readers) { readerThreads_ = readers; }
    int ReaderThreads() const { return readerThreads_; }
    // The path of the last scan, trailing separators removed ("/" stays "/").
    const std::string& ScanRoot() const { return scanRoot_; }

    // Stops a running scan (dropping whatever it had not shown yet), clears the status panels and the lists, resets the grid to 1 x 1
    // and starts a new scan of path. An empty path is ignored.
    void BeginScan(const std::string& path);
    // Requests a stop, waits for the worker to end and shows what it left;
    // a worker that does not end within Job::StopWait is left behind.
    // Harmless when no scan runs.
    void EndScan();
    // Waits up to timeout for the running scan to end by itself, showing its
    // updates meanwhile; true when no scan runs any more.
    bool WaitForScan(std::chrono::milliseconds timeout);
    // True once a stop was requested or the last scan ran to its end; false
    // while a scan runs and from start-up until the first scan ends.
    bool ScanStopped() const { return stopped_->load(); }
    bool ScanRunning() const;

    // The lists of the scan shown; BeginScan starts new ones, so keep no
    // reference to them across it.
    const FolderList& Folders() const { return lists_->folders; }
    const TfileList& Files() const { return lists_->files; }
    TIconList& Icons() { return lists_->icons; }
    const TIconList& Icons() const { return lists_->icons; }
    // The path of file fileIndex of TfileList.
    std::string FilePath(std::size_t fileIndex) const;
    // "<path> #<IconIndex>" for icon iconIndex, as the status bar names it.
    std::string IconName(std::size_t iconIndex) const;

    // Lays the grid out for the icons there are now (also what a resize of
    // the grid runs), and tells the worker the grid's new client size.
    void ArrangeGrid();
    // Removes every marked icon, then arranges the grid (even if none was marked).
    void DeleteMarkedIcons();
    // Stops a running scan, keeps the first icon of each distinct picture
    // (see TIconList::RemoveDuplicates), arranges the grid and shows
    // "<n> duplicate icon(s) removed" in the third panel. Returns n.
    std::size_t RemoveDuplicateIcons();
    // Removes the icon of the cell at column col, row row, and arranges the
    // grid; an empty cell changes nothing. True when an icon was removed.
    bool DeleteCurrentIcon(int col, int row);

    // Shows what the worker has posted so far (window thread; normally called
    // through the queued wake).
    void DeliverUpdates();
    // Reads the grid's client size from the view for the worker to use; call
    // it when the grid changes size.
    void PublishGridClientSize();

private:
    void OnWake();
    void DropPending();
    // Stops the worker; when it had to be left behind, the engine keeps a
    // copy of its lists and a new mailbox. True when it ended.
    bool StopWorker(bool deliver);

    ScanView& view_;
    WindowWake wake_;
    std::shared_ptr<ScanMailbox> mailbox_;
    std::unique_ptr<QTimer> deliveryTimer_;
    std::chrono::steady_clock::time_point lastDelivery_ {};

    std::shared_ptr<ScanLists> lists_;
    // Set by a stop or by the worker at its end; each scan has its own.
    std::shared_ptr<std::atomic<bool>> stopped_;

    bool withSub_ = false;
    std::string fileExt_ { DefaultFileExt };
    bool oneFileMode_ = false;
    std::string scanRoot_;
    ScanHooks hooks_;
    int readerThreads_ = DefaultReaderThreads;

    Job worker_;
    // Taken from the mailbox, not yet shown; kept here so that a nested
    // delivery (a view call that ends the scan) keeps the order.
    std::deque<ScanMailbox::Update> pendingUpdates_;
    std::array<std::optional<std::string>, 3> pendingPanels_;
    unsigned long generation_ = 0;
};

} // namespace orbisk
