#include "export/SaveMarkedMailbox.h"

namespace orbisk {

SaveMarkedMailbox::SaveMarkedMailbox(std::function<void()> wake)
    : wake_(std::move(wake))
{
}

void SaveMarkedMailbox::Post(Report report)
{
    {
        const std::lock_guard lock(mutex_);
        if (report.kind == Report::Step && !reports_.empty() && reports_.back().kind == Report::Step)
            reports_.back().count += report.count;
        else
            reports_.push_back(std::move(report));
    }
    // A wake still pending will take this report too (Take clears the flag
    // under the lock, after it has taken everything).
    if (wake_ && wakeEnabled_.load(std::memory_order_relaxed) && !wakePending_.exchange(true))
        wake_();
}

void SaveMarkedMailbox::PostMaximum(std::size_t maximum) { Post({ Report::Maximum, maximum, {} }); }

void SaveMarkedMailbox::PostStep() { Post({ Report::Step, 1, {} }); }

void SaveMarkedMailbox::PostErrorsAndWait(std::string text)
{
    {
        const std::lock_guard lock(mutex_);
        answered_ = false;
    }
    Post({ Report::Errors, 0, std::move(text) });
    std::unique_lock lock(mutex_);
    answeredCv_.wait(lock, [this] { return answered_ || released_; });
}

void SaveMarkedMailbox::PostClose() { Post({ Report::Close, 0, {} }); }

std::vector<SaveMarkedMailbox::Report> SaveMarkedMailbox::Take()
{
    const std::lock_guard lock(mutex_);
    std::vector<Report> taken;
    taken.swap(reports_);
    wakePending_.store(false);
    return taken;
}

void SaveMarkedMailbox::Answer()
{
    const std::lock_guard lock(mutex_);
    answered_ = true;
    answeredCv_.notify_all();
}

void SaveMarkedMailbox::Release()
{
    const std::lock_guard lock(mutex_);
    released_ = true;
    answeredCv_.notify_all();
}

void SaveMarkedMailbox::Reset()
{
    const std::lock_guard lock(mutex_);
    reports_.clear();
    answered_ = false;
    released_ = false;
    wakePending_.store(false);
}

} // namespace orbisk
