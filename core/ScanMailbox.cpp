#include "core/ScanMailbox.h"

#include <utility>

namespace orbisk {

ScanMailbox::ScanMailbox(std::function<void()> wake)
    : wake_(std::move(wake))
{
}

void ScanMailbox::Wake()
{
    // One wake in flight at a time: the window takes everything posted up to
    // then, and the first post after that take wakes it again.
    if (!wake_ || !wakeEnabled_.load(std::memory_order_relaxed))
        return;
    if (wakePending_.load(std::memory_order_relaxed) || wakePending_.exchange(true, std::memory_order_acq_rel))
        return;
    wake_();
}

void ScanMailbox::PostStatus(int panel, std::string_view text)
{
    if (panel < 0 || panel >= int(panels_.size()))
        return;
    {
        std::lock_guard lock(mutex_);
        panels_[std::size_t(panel)].assign(text);
        panelPosted_[std::size_t(panel)] = true;
    }
    Wake();
}

void ScanMailbox::PostCaption(std::string text)
{
    {
        std::lock_guard lock(mutex_);
        updates_.push_back({ Update::Caption, std::move(text) });
    }
    Wake();
}

void ScanMailbox::PostGrow(long long iconCount, int fitColumns, int fitRows)
{
    {
        std::lock_guard lock(mutex_);
        updates_.push_back({ Update::Grow, {}, iconCount, fitColumns, fitRows });
    }
    Wake();
}

void ScanMailbox::PostArrange()
{
    {
        std::lock_guard lock(mutex_);
        updates_.push_back({ Update::Arrange, {} });
    }
    Wake();
}

void ScanMailbox::PostFinished()
{
    if (wake_ && wakeEnabled_.load(std::memory_order_relaxed)) {
        wakePending_.store(true, std::memory_order_release);
        wake_();
    }
}

ScanMailbox::Batch ScanMailbox::Take()
{
    // Cleared before taking, so a post that misses this take wakes again.
    wakePending_.store(false, std::memory_order_release);
    Batch batch;
    std::lock_guard lock(mutex_);
    batch.updates.swap(updates_);
    for (std::size_t p = 0; p < panels_.size(); ++p) {
        if (panelPosted_[p])
            batch.panels[p] = panels_[p];
        panelPosted_[p] = false;
    }
    return batch;
}

void ScanMailbox::Drop()
{
    std::lock_guard lock(mutex_);
    updates_.clear();
    panelPosted_.fill(false);
}

void ScanMailbox::PublishGridClientSize(int width, int height)
{
    clientWidth_.store(width, std::memory_order_relaxed);
    clientHeight_.store(height, std::memory_order_relaxed);
}

} // namespace orbisk
