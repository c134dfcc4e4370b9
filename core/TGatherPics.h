#pragma once

#include "core/FolderList.h"
#include "core/ScanJob.h"
#include "core/ScanMailbox.h"
#include "core/TIconList.h"
#include "core/TfileList.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace orbisk {

// The scanning worker: one thread that walks (CollectFiles), extracts
// (ExtractIcons), then sets stopped and asks twice for ArrangeGrid. A scan
// stopped during the walk ends right after it, with no extraction and no
// final texts. It stops only by watching stopped, and never waits for the
// window thread.
class TGatherPics {
public:
    // Starts the thread at once. Throws std::system_error when no thread can
    // be made.
    TGatherPics(ScanJob job, FolderList& folders, TfileList& files, TIconList& icons, ScanMailbox& mailbox,
        std::atomic<bool>& stopped);
    TGatherPics(const TGatherPics&) = delete;
    TGatherPics& operator=(const TGatherPics&) = delete;
    // Joins; the owner sets stopped first if it wants the scan cut short.
    ~TGatherPics();

    // Waits up to timeout for the thread's work to end; true when it has.
    bool WaitFor(std::chrono::milliseconds timeout);
    bool Finished() const;
    void Join();

private:
    void Run();

    ScanJob job_;
    FolderList& folders_;
    TfileList& files_;
    TIconList& icons_;
    ScanMailbox& mailbox_;
    std::atomic<bool>& stopped_;

    mutable std::mutex mutex_;
    std::condition_variable finishedCv_;
    bool finished_ = false;
    std::thread thread_;
};

} // namespace orbisk
