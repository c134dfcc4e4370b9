#include "export/BatchSave.h"

#include <system_error>

namespace orbisk {

BatchSave::BatchSave(SaveMarkedView& view)
    : view_(view)
    , wake_([this] { DeliverReports(); })
    , mailbox_(std::make_shared<SaveMarkedMailbox>(&wake_))
{
}

BatchSave::~BatchSave()
{
    mailbox_->Release();
    worker_.Stop();
}

void BatchSave::Start(SaveMarkedJob job, TIconList& icons, const TfileList& files, const FolderList& folders)
{
    Stop();
    mailbox_ = std::make_shared<SaveMarkedMailbox>(&wake_);
    if (writer_)
        job.Write = writer_;
    cancelled_ = false;
    try {
        auto worker = std::make_shared<TSaveMarked>(std::move(job), icons, files, folders, mailbox_);
        worker_ = Job([worker](JobControl& control) { worker->Run(control); });
    } catch (const std::system_error&) {
        // No thread: the dialog must not wait for a worker that never came.
        // Posted like the worker's own, so it arrives once the dialog runs.
        mailbox_->PostClose();
    }
}

void BatchSave::Cancel()
{
    cancelled_ = true;
    worker_.Cancel();
}

void BatchSave::Stop()
{
    Cancel();
    // Called while a report is being shown (from inside the error box's own
    // event loop): that box is the one the worker waits for, and it cannot
    // close before this returns, so the worker goes on without it.
    if (delivering_)
        mailbox_->Release();
    if (worker_.Stop([this] { DeliverReports(); })) {
        DeliverReports();
        return;
    }
    // Left behind in a write that does not return: it waits for no answer
    // and reports nothing more, so the dialog closes without its last report.
    mailbox_->Release();
    DeliverReports();
    view_.CloseRequest();
}

bool BatchSave::WaitForBatch(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!worker_.WaitFor(PollInterval)) {
        DeliverReports();
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
    worker_.Stop();
    DeliverReports();
    return true;
}

void BatchSave::DeliverReports()
{
    if (delivering_)
        return;
    delivering_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done { delivering_ };
    // The mailbox is held here: a report shown may start the next batch.
    const std::shared_ptr<SaveMarkedMailbox> mailbox = mailbox_;
    for (auto reports = mailbox->Take(); !reports.empty(); reports = mailbox->Take()) {
        for (const SaveMarkedMailbox::Report& report : reports) {
            switch (report.kind) {
            case SaveMarkedMailbox::Report::Maximum:
                view_.SetProgressMax(report.count);
                break;
            case SaveMarkedMailbox::Report::Step:
                view_.StepProgress(report.count);
                break;
            case SaveMarkedMailbox::Report::Errors: {
                // The worker waits for this answer, whatever the box does.
                struct Answer {
                    SaveMarkedMailbox& mailbox;
                    ~Answer() { mailbox.Answer(); }
                } answer { *mailbox };
                view_.ShowErrors(report.text);
                break;
            }
            case SaveMarkedMailbox::Report::Close:
                view_.CloseRequest();
                break;
            }
        }
    }
}

} // namespace orbisk
