#include "platform/pixels/IconHandle.h"

#include <atomic>

namespace orbisk {

namespace {
std::atomic<long> liveIcons { 0 };
}

HICON CreateIcon(IconData data)
{
    if (data.width <= 0 || data.height <= 0)
        return nullptr;
    const auto pixels = std::size_t(data.width) * std::size_t(data.height);
    if (data.color.size() != pixels
        || data.mask.size() != std::size_t(IconData::MaskStride(data.width)) * std::size_t(data.height))
        return nullptr;
    auto* icon = new IconData(std::move(data));
    icon->color.shrink_to_fit();
    icon->mask.shrink_to_fit();
    liveIcons.fetch_add(1, std::memory_order_relaxed);
    return icon;
}

bool DestroyIcon(HICON icon)
{
    if (!icon)
        return false;
    delete icon;
    liveIcons.fetch_sub(1, std::memory_order_relaxed);
    return true;
}

long LiveIconCount() { return liveIcons.load(std::memory_order_relaxed); }

} // namespace orbisk
