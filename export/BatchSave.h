#pragma once

#include "export/SaveMarkedMailbox.h"
#include "export/SaveMarkedView.h"
#include "export/TSaveMarked.h"
#include "platform/jobs/Job.h"
#include "platform/jobs/WindowWake.h"

#include <chrono>
#include <memory>

namespace orbisk {

// The batch save of marked icons: the worker's job, its cancel flag and its
// reports, which reach view on the window thread in the order posted. The
// main window owns one, beside its scan engine; the progress dialog is its
// view.
//
// Threads: every member function is for the window thread. With a Qt event
// loop running there, reports are delivered as they come; Stop and
// WaitForBatch deliver them too (the error box included), so that waiting for
// the worker never deadlocks, whether or not a loop runs. Stop never waits
// for the disk: a worker that has not ended Job::StopWait after it was
// cancelled (a write to a disk that does not answer) is left behind, and the
// view is asked to close.
class BatchSave {
public:
    static constexpr std::chrono::milliseconds PollInterval = Job::PollInterval;

    explicit BatchSave(SaveMarkedView& view);
    BatchSave(const BatchSave&) = delete;
    BatchSave& operator=(const BatchSave&) = delete;
    // Stops a running worker without showing anything more.
    ~BatchSave();

    // Replaces the format's writer for every batch started from now on.
    void SetWriter(IconStreamWriter writer) { writer_ = std::move(writer); }
    // Starts a worker over the lists, after stopping one that still runs.
    // The lists must stay unchanged until Stop or WaitForBatch has returned.
    void Start(SaveMarkedJob job, TIconList& icons, const TfileList& files, const FolderList& folders);
    // The worker stops before the next icon (Cancel).
    void Cancel();
    bool Cancelled() const { return cancelled_; }
    // Cancels, then waits for the worker to end, delivering its reports,
    // for at most Job::StopWait. Harmless when none runs.
    void Stop();
    // Waits up to timeout for the worker to end by itself, delivering its
    // reports; true when no worker runs any more.
    bool WaitForBatch(std::chrono::milliseconds timeout);
    bool Running() const { return worker_.Running(); }

    // Shows what the worker has reported so far (normally through the queued
    // wake). Does nothing while an earlier call is still showing a report.
    void DeliverReports();

private:
    SaveMarkedView& view_;
    WindowWake wake_;
    std::shared_ptr<SaveMarkedMailbox> mailbox_;
    bool cancelled_ = false;
    IconStreamWriter writer_;
    Job worker_;
    bool delivering_ = false;
};

} // namespace orbisk
