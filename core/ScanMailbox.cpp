#include "core/ScanMailbox.h"

#include <utility>

namespace orbisk {

ScanMailbox::ScanMailbox(WindowWake* wake)
    : box_(wake)
    , wake_(wake)
{
}

void ScanMailbox::PostStatus(int panel, std::string_view text)
{
    if (panel < 0 || panel >= 3)
        return;
    box_.PostLatest(*job_, std::size_t(panel), { Update::Caption, std::string(text) });
}

void ScanMailbox::PostCaption(std::string text) { box_.Post(*job_, { Update::Caption, std::move(text) }); }

void ScanMailbox::PostGrow(long long iconCount, int fitColumns, int fitRows)
{
    box_.Post(*job_, { Update::Grow, {}, iconCount, fitColumns, fitRows });
}

void ScanMailbox::PostArrange() { box_.Post(*job_, { Update::Arrange, {} }); }

void ScanMailbox::PostFinished()
{
    job_->Through([this] {
        if (wake_)
            wake_->Signal();
    });
}

ScanMailbox::Batch ScanMailbox::Take()
{
    auto taken = box_.Take();
    Batch batch;
    batch.updates = std::move(taken.reports);
    for (std::size_t p = 0; p < batch.panels.size(); ++p) {
        if (taken.latest[p])
            batch.panels[p] = std::move(taken.latest[p]->text);
    }
    return batch;
}

void ScanMailbox::PublishGridClientSize(int width, int height)
{
    clientWidth_.store(width, std::memory_order_relaxed);
    clientHeight_.store(height, std::memory_order_relaxed);
}

} // namespace orbisk
