#include "core/TGatherPics.h"

#include "core/CollectFiles.h"
#include "core/ExtractIcons.h"

#include <exception>

namespace orbisk {

TGatherPics::TGatherPics(ScanJob job, FolderList& folders, TfileList& files, TIconList& icons, ScanMailbox& mailbox,
    std::atomic<bool>& stopped)
    : job_(std::move(job))
    , folders_(folders)
    , files_(files)
    , icons_(icons)
    , mailbox_(mailbox)
    , stopped_(stopped)
    , thread_([this] { Run(); })
{
}

TGatherPics::~TGatherPics() { Join(); }

void TGatherPics::Run()
{
    try {
        CollectFiles(job_, folders_, files_, mailbox_, stopped_);
        if (!stopped_.load()) {
            ExtractIcons(job_, folders_, files_, icons_, mailbox_, stopped_);
            stopped_.store(true);
            mailbox_.PostArrange();
            // The second pass sees the client area the first one left (a
            // vertical scroll bar may have come or gone).
            mailbox_.PostArrange();
        }
    } catch (const std::exception&) {
        // Out of memory while recording: the scan ends with what it has.
        stopped_.store(true);
    }
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
        finishedCv_.notify_all();
    }
    mailbox_.PostFinished();
}

bool TGatherPics::WaitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return finishedCv_.wait_for(lock, timeout, [this] { return finished_; });
}

bool TGatherPics::Finished() const
{
    std::lock_guard lock(mutex_);
    return finished_;
}

void TGatherPics::Join()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

} // namespace orbisk
