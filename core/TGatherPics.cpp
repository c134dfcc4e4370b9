#include "core/TGatherPics.h"

#include "core/CollectFiles.h"
#include "core/ExtractIcons.h"

#include <exception>

namespace orbisk {

TGatherPics::TGatherPics(ScanJob job, std::shared_ptr<ScanLists> lists, std::shared_ptr<ScanMailbox> mailbox,
    std::shared_ptr<std::atomic<bool>> stopped)
    : job_(std::move(job))
    , lists_(std::move(lists))
    , mailbox_(std::move(mailbox))
    , stopped_(std::move(stopped))
{
}

void TGatherPics::operator()(JobControl& control)
{
    ScanMailbox& mailbox = *mailbox_;
    std::atomic<bool>& stopped = *stopped_;
    mailbox.SetJob(control);
    try {
        CollectFiles(job_, lists_->folders, lists_->files, mailbox, stopped);
        if (!stopped.load()) {
            ExtractIcons(job_, lists_->folders, lists_->files, lists_->icons, mailbox, stopped);
            stopped.store(true);
            mailbox.PostArrange();
            // The second pass sees the client area the first one left (a
            // vertical scroll bar may have come or gone).
            mailbox.PostArrange();
        }
    } catch (const std::exception&) {
        // Out of memory while recording: the scan ends with what it has.
        stopped.store(true);
    }
    mailbox.PostFinished();
}

} // namespace orbisk
