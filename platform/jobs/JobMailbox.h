#pragma once

#include "platform/jobs/Job.h"
#include "platform/jobs/WindowWake.h"

#include <array>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace orbisk {

// Where a job leaves its reports for its owner, in the order posted; the
// owner takes them on its own thread, woken through a WindowWake when it
// has one, or when it waits for the job.
//
// Reports of the `Slots` kinds that only their latest counts (a status
// text) are posted to a slot, which keeps the newest; `merge`, when given,
// may fold a report into the one posted just before it (progress steps).
//
// A job posts only through its gate: a job left behind posts nothing.
template <typename Report, std::size_t Slots = 0>
class JobMailbox {
public:
    struct Batch {
        std::vector<Report> reports;
        std::array<std::optional<Report>, Slots> latest;
        bool empty() const
        {
            if (!reports.empty())
                return false;
            for (const auto& slot : latest) {
                if (slot)
                    return false;
            }
            return true;
        }
    };
    using Merge = std::function<bool(Report& last, const Report& next)>;

    explicit JobMailbox(WindowWake* wake = nullptr, Merge merge = {})
        : wake_(wake)
        , merge_(std::move(merge))
    {
    }
    JobMailbox(const JobMailbox&) = delete;
    JobMailbox& operator=(const JobMailbox&) = delete;

    // Job side. False when the job was left behind (nothing posted).
    bool Post(JobControl& job, Report report)
    {
        return job.Through([&] {
            {
                const std::lock_guard lock(mutex_);
                if (reports_.empty() || !merge_ || !merge_(reports_.back(), report))
                    reports_.push_back(std::move(report));
            }
            Wake();
        });
    }
    bool PostLatest(JobControl& job, std::size_t slot, Report report)
    {
        return job.Through([&] {
            {
                const std::lock_guard lock(mutex_);
                latest_[slot] = std::move(report);
            }
            Wake();
        });
    }

    // Owner side.
    Batch Take()
    {
        Batch batch;
        const std::lock_guard lock(mutex_);
        batch.reports.swap(reports_);
        batch.latest.swap(latest_);
        return batch;
    }
    void Drop() { (void)Take(); }

private:
    void Wake()
    {
        if (wake_)
            wake_->Signal();
    }

    WindowWake* wake_;
    Merge merge_;
    std::mutex mutex_;
    std::vector<Report> reports_;
    std::array<std::optional<Report>, Slots> latest_;
};

} // namespace orbisk
