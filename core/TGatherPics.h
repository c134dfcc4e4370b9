#pragma once

#include "core/ScanJob.h"
#include "core/ScanLists.h"
#include "core/ScanMailbox.h"
#include "platform/jobs/Job.h"

#include <atomic>
#include <memory>

namespace orbisk {

// The scanning worker's work, run as a Job: it walks (CollectFiles),
// extracts (ExtractIcons), then sets stopped and asks twice for
// ArrangeGrid. A scan stopped during the walk ends right after it, with no
// extraction and no final texts. It stops only by watching stopped, and
// never waits for the window thread.
//
// It shares the scan's lists, mailbox and stop flag with the engine, so
// when it is left behind (a read that does not return) it still holds all
// it touches; its reports then go nowhere (see ScanMailbox).
class TGatherPics {
public:
    TGatherPics(ScanJob job, std::shared_ptr<ScanLists> lists, std::shared_ptr<ScanMailbox> mailbox,
        std::shared_ptr<std::atomic<bool>> stopped);

    void operator()(JobControl& control);

private:
    ScanJob job_;
    std::shared_ptr<ScanLists> lists_;
    std::shared_ptr<ScanMailbox> mailbox_;
    std::shared_ptr<std::atomic<bool>> stopped_;
};

} // namespace orbisk
