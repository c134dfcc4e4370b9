#pragma once

#include "platform/jobs/Job.h"
#include "platform/jobs/JobMailbox.h"
#include "platform/jobs/WindowWake.h"

#include <functional>
#include <utility>

namespace orbisk {

// One value made on a job for the window thread (an icon's group read for a
// tooltip, an image for the clipboard). Start waits up to Job::StopWait, so
// that where the disk answers the value is used at once, as if made on the
// window thread; past that, `done` runs when the value comes, woken by the
// event loop. A call started anew, cancelled or destroyed before its value
// came drops it: a job still blocked then is left behind at once.
//
// The work must own what it reads (copies of paths); a value is handed over
// through the job's gate only.
template <typename T>
class BackgroundCall {
public:
    BackgroundCall()
        : wake_([this] { Deliver(); })
        , values_(&wake_)
    {
    }
    BackgroundCall(const BackgroundCall&) = delete;
    BackgroundCall& operator=(const BackgroundCall&) = delete;
    ~BackgroundCall() { Cancel(); }

    void Start(std::function<T()> work, std::function<void(T)> done)
    {
        Cancel();
        done_ = std::move(done);
        job_ = Job([work = std::move(work), values = &values_](JobControl& job) { values->Post(job, work()); });
        if (job_.WaitFor(Job::StopWait))
            Deliver();
    }
    void Cancel()
    {
        job_.Release();
        values_.Drop();
        done_ = nullptr;
    }
    // A value is asked for and has not come yet.
    bool Waiting() const { return done_ != nullptr; }

private:
    void Deliver()
    {
        auto taken = values_.Take();
        if (taken.reports.empty() || !done_)
            return;
        const std::function<void(T)> done = std::exchange(done_, nullptr);
        job_.Release();
        done(std::move(taken.reports.back()));
    }

    WindowWake wake_;
    JobMailbox<T> values_;
    Job job_;
    std::function<void(T)> done_;
};

} // namespace orbisk
