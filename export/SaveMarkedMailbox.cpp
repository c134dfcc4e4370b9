#include "export/SaveMarkedMailbox.h"

namespace orbisk {

SaveMarkedMailbox::SaveMarkedMailbox(WindowWake* wake)
    : box_(wake, [](Report& last, const Report& next) {
        if (last.kind != Report::Step || next.kind != Report::Step)
            return false;
        last.count += next.count;
        return true;
    })
{
}

void SaveMarkedMailbox::PostMaximum(std::size_t maximum) { box_.Post(*job_, { Report::Maximum, maximum, {} }); }

void SaveMarkedMailbox::PostStep() { box_.Post(*job_, { Report::Step, 1, {} }); }

void SaveMarkedMailbox::PostErrorsAndWait(std::string text)
{
    {
        const std::lock_guard lock(mutex_);
        answered_ = false;
    }
    if (!box_.Post(*job_, { Report::Errors, 0, std::move(text) }))
        return;
    std::unique_lock lock(mutex_);
    answeredCv_.wait(lock, [this] { return answered_ || released_; });
}

void SaveMarkedMailbox::PostClose() { box_.Post(*job_, { Report::Close, 0, {} }); }

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

} // namespace orbisk
