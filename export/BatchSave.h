#pragma once

#include "export/SaveMarkedMailbox.h"
#include "export/SaveMarkedView.h"
#include "export/TSaveMarked.h"

#include <atomic>
#include <chrono>
#include <memory>

class QObject;

namespace orbisk {

// The batch save of marked icons: the worker, its cancel flag and its
// reports, which reach view on the window thread in the order posted. The
// progress dialog owns one.
//
// Threads: every member function is for the window thread. With a Qt event
// loop running there, reports are delivered as they come; Stop and
// WaitForBatch deliver them too (the error box included), so that waiting for
// the worker never deadlocks, whether or not a loop runs.
class BatchSave {
public:
    static constexpr std::chrono::milliseconds PollInterval { 25 };

    explicit BatchSave(SaveMarkedView& view);
    BatchSave(const BatchSave&) = delete;
    BatchSave& operator=(const BatchSave&) = delete;
    // Stops and joins a running worker without showing anything more.
    ~BatchSave();

    // Replaces the format's writer for every batch started from now on.
    void SetWriter(IconStreamWriter writer) { writer_ = std::move(writer); }

    // Starts a worker over the lists, after stopping one that still runs.
    // The lists must stay unchanged until Stop or WaitForBatch has returned.
    void Start(SaveMarkedJob job, TIconList& icons, const TfileList& files, const FolderList& folders);
    // The worker stops before the next icon (Cancel).
    void Cancel() { cancelled_.store(true); }
    bool Cancelled() const { return cancelled_.load(); }
    // Cancels, then waits for the worker to end, delivering its reports.
    // Harmless when none runs.
    void Stop();
    // Waits up to timeout for the worker to end by itself, delivering its
    // reports; true when no worker runs any more.
    bool WaitForBatch(std::chrono::milliseconds timeout);
    bool Running() const;

    // Shows what the worker has reported so far (normally through the queued
    // wake). Does nothing while an earlier call is still showing a report.
    void DeliverReports();

private:
    void JoinWorker();

    SaveMarkedView& view_;
    SaveMarkedMailbox mailbox_;
    std::unique_ptr<QObject> receiver_;
    std::atomic<bool> cancelled_ { false };
    IconStreamWriter writer_;
    std::unique_ptr<TSaveMarked> worker_;
    bool delivering_ = false;
};

} // namespace orbisk
