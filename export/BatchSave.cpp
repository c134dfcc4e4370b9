#include "export/BatchSave.h"

#include <QCoreApplication>
#include <QObject>

#include <system_error>

namespace orbisk {

BatchSave::BatchSave(SaveMarkedView& view)
    : view_(view)
    , mailbox_([this] {
        // On the worker thread: posting an event to an object of the window
        // thread is safe from any thread.
        QMetaObject::invokeMethod(receiver_.get(), [this] { DeliverReports(); }, Qt::QueuedConnection);
    })
    , receiver_(std::make_unique<QObject>())
{
}

BatchSave::~BatchSave()
{
    cancelled_.store(true);
    mailbox_.Release();
    worker_.reset();
    receiver_.reset();
}

bool BatchSave::Running() const { return worker_ && !worker_->Finished(); }

void BatchSave::Start(SaveMarkedJob job, TIconList& icons, const TfileList& files, const FolderList& folders)
{
    Stop();
    mailbox_.Reset();
    // Without an event loop the reports wait for Stop or WaitForBatch.
    mailbox_.SetWakeEnabled(QCoreApplication::instance() != nullptr);
    if (writer_)
        job.Write = writer_;
    cancelled_.store(false);
    try {
        worker_ = std::make_unique<TSaveMarked>(std::move(job), icons, files, folders, mailbox_, cancelled_);
    } catch (const std::system_error&) {
        // No thread: the dialog must not wait for a worker that never came.
        // Posted like the worker's own, so it arrives once the dialog runs.
        mailbox_.PostClose();
    }
}

void BatchSave::Stop()
{
    cancelled_.store(true);
    if (!worker_) {
        DeliverReports();
        return;
    }
    // Called while a report is being shown (from inside the error box's own
    // event loop): that box is the one the worker waits for, and it cannot
    // close before this returns, so the worker goes on without it.
    if (delivering_)
        mailbox_.Release();
    while (!worker_->WaitFor(PollInterval))
        DeliverReports();
    JoinWorker();
}

bool BatchSave::WaitForBatch(std::chrono::milliseconds timeout)
{
    if (!worker_) {
        DeliverReports();
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!worker_->WaitFor(PollInterval)) {
        DeliverReports();
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
    JoinWorker();
    return true;
}

void BatchSave::JoinWorker()
{
    worker_->Join();
    DeliverReports();
    worker_.reset();
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
    for (auto reports = mailbox_.Take(); !reports.empty(); reports = mailbox_.Take()) {
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
                } answer { mailbox_ };
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
