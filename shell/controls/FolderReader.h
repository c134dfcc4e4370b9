#pragma once

#include "shell/items/ShellConsumer.h"
#include "shell/items/ShellItem.h"

#include "platform/jobs/Job.h"
#include "platform/jobs/JobMailbox.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace orbisk {

// Reads a folder again for a file list on a worker thread: its items, their
// details when the list is in report view, and their places in name order.
// The window thread only filters and shows what comes back, so a folder
// that many files are being written to does not hold it for long.
//
// The read runs as a Job and touches no widget and no item of the list: it
// makes its own items, which it hands over with the result through its gate.
// A result reaches the thread that made the reader through its wake; a read
// that was cancelled delivers nothing. Cancelling never waits for the disk:
// a read still in a folder that does not answer Job::StopWait after it was
// cancelled is left behind.
class TStFolderReader {
public:
    struct Request {
        std::unique_ptr<TStShellItem> folder;
        bool showHidden = false;
        TStOptimization optimization = otEnumerate;
        bool details = false;
    };
    struct Result {
        std::vector<std::unique_ptr<TStShellItem>> items; // in name order
        std::vector<uint32_t> nameRanks;                   // one per item
        bool details = false;
    };
    using Done = std::function<void(Result)>;

    explicit TStFolderReader(QObject* receiver);
    // Cancels a read still running (see Job::Stop).
    ~TStFolderReader();
    TStFolderReader(const TStFolderReader&) = delete;
    TStFolderReader& operator=(const TStFolderReader&) = delete;

    // Starts a read; `done` runs on the window thread. A read still
    // running is cancelled first (it stops at its next item).
    void Start(Request request, Done done);
    // Drops the result of the read running, if any.
    void Cancel();
    // A read has been started and its result not yet delivered (or dropped).
    bool Busy() const { return busy_; }

private:
    void Deliver();

    WindowWake wake_;
    JobMailbox<Result> results_;
    Job read_;
    Done done_;
    bool busy_ = false;
};

} // namespace orbisk
