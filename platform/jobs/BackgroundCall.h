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
// event loop. A call started anew while a value is still being made waits
// for it and then starts (one read in flight at a time); one cancelled or
// destroyed drops it, leaving a job still blocked behind at once.
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
        done_ = std::move(done);
        if (job_.Running()) {
            // The read in flight is stuck or slow: this one waits for it
            // instead of leaving it behind, so that a pointer moving over
            // the icons of a disk that does not answer cannot use up the
            // jobs that may be left behind, nor wait again for each.
            next_ = std::move(work);
            return;
        }
        Launch(std::move(work));
        if (job_.WaitFor(Job::StopWait))
            Deliver();
    }
    void Cancel()
    {
        job_.Release();
        values_.Drop();
        next_ = nullptr;
        done_ = nullptr;
    }
    // A value is asked for and has not come yet.
    bool Waiting() const { return done_ != nullptr; }

private:
    void Launch(std::function<T()> work)
    {
        values_.Drop();
        job_ = Job([work = std::move(work), values = &values_](JobControl& job) { values->Post(job, work()); });
    }
    void Deliver()
    {
        auto taken = values_.Take();
        if (taken.reports.empty())
            return;
        job_.Stop();
        if (next_) {
            // The value came for a request made since: it is stale.
            Launch(std::exchange(next_, nullptr));
            return;
        }
        if (!done_)
            return;
        const std::function<void(T)> done = std::exchange(done_, nullptr);
        done(std::move(taken.reports.back()));
    }

    WindowWake wake_;
    JobMailbox<T> values_;
    Job job_;
    std::function<T()> next_;
    std::function<void(T)> done_;
};

} // namespace orbisk
