#include "Gate.h"

namespace orbisk::test {

void Gate::Pass(bool isWrite)
{
    std::unique_lock lock(mutex_);
    ++waiting_;
    opened_.wait(lock, [this] { return !closed_; });
    --waiting_;
    ++passed_;
    if (!isWrite)
        return;
    ++writes_;
    if (writesBeforeClose_ > 0 && --writesBeforeClose_ == 0)
        closed_ = true;
}

void Gate::Close()
{
    std::lock_guard lock(mutex_);
    closed_ = true;
    writesBeforeClose_ = 0;
}

void Gate::Open()
{
    {
        std::lock_guard lock(mutex_);
        closed_ = false;
        writesBeforeClose_ = 0;
    }
    opened_.notify_all();
}

void Gate::CloseAfterWrites(std::uint64_t n)
{
    std::lock_guard lock(mutex_);
    writesBeforeClose_ = n;
    if (n == 0)
        closed_ = true;
}

std::string Gate::Status() const
{
    std::lock_guard lock(mutex_);
    return "closed=" + std::to_string(closed_ ? 1 : 0) + " waiting=" + std::to_string(waiting_) +
           " passed=" + std::to_string(passed_) + " writes=" + std::to_string(writes_);
}

} // namespace orbisk::test
