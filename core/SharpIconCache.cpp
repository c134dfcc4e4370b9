#include "core/SharpIconCache.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <utility>

namespace orbisk {

namespace {

std::size_t IconBytes(HICON icon)
{
    return icon ? sizeof(IconData) + icon->color.size() * sizeof(uint32_t) + icon->mask.size() : 0;
}

} // namespace

std::size_t SharpIconCache::KeyHash::operator()(const Key& k) const
{
    const uint64_t a = uint64_t(uint32_t(k.file)) << 32 | uint32_t(k.icon);
    return std::hash<uint64_t>()(a * 0x9E3779B97F4A7C15ull ^ uint64_t(k.pixels));
}

SharpIconCache::SharpIconCache(Loader loader, std::size_t capacity)
    : loader_(std::move(loader))
    , capacity_(std::max<std::size_t>(capacity, 1))
{
}

SharpIconCache::~SharpIconCache()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void SharpIconCache::SetOnReady(std::function<void()> onReady)
{
    std::lock_guard lock(mutex_);
    onReady_ = std::move(onReady);
}

HICON SharpIconCache::Find(int32_t fileIndex, int32_t iconIndex, int pixels, const std::function<std::string()>& path)
{
    const Key key { fileIndex, iconIndex, pixels };
    std::unique_lock lock(mutex_);
    if (auto found = slots_.find(key); found != slots_.end()) {
        uses_.splice(uses_.begin(), uses_, found->second.use);
        return found->second.pending ? nullptr : found->second.icon.get();
    }
    uses_.push_front(key);
    try {
        Slot& slot = slots_[key];
        slot.use = uses_.begin();
        slot.ticket = ++tickets_;
        queue_.push_front({ key, path(), slot.ticket });
    } catch (...) {
        slots_.erase(key);
        uses_.pop_front();
        throw;
    }
    Trim();
    if (!thread_.joinable() && !StartThread())
        return nullptr;
    lock.unlock();
    wake_.notify_one();
    return nullptr;
}

// Without a thread every icon is drawn at 32 pixels, as on a screen of ratio 1.
bool SharpIconCache::StartThread()
{
    try {
        thread_ = std::thread([this] { Run(); });
        return true;
    } catch (const std::system_error&) {
        queue_.clear();
        for (auto& [key, slot] : slots_)
            slot.pending = false;
        return false;
    }
}

// Requests past the capacity are for cells drawn long ago: they are dropped
// with their slots, so a cell drawn again asks anew.
void SharpIconCache::Trim()
{
    while (queue_.size() > capacity_) {
        if (Slot* slot = Waiting(queue_.back())) {
            uses_.erase(slot->use);
            slots_.erase(queue_.back().key);
        }
        queue_.pop_back();
    }
    while (slots_.size() > capacity_) {
        const auto slot = slots_.find(uses_.back());
        heldBytes_ -= IconBytes(slot->second.icon.get());
        slots_.erase(slot);
        uses_.pop_back();
    }
}

void SharpIconCache::EnsureCapacity(std::size_t capacity)
{
    std::lock_guard lock(mutex_);
    capacity_ = std::max(capacity_, capacity);
}

void SharpIconCache::Clear()
{
    std::lock_guard lock(mutex_);
    slots_.clear();
    uses_.clear();
    queue_.clear();
    heldBytes_ = 0;
}

std::size_t SharpIconCache::HeldBytes() const
{
    std::lock_guard lock(mutex_);
    return heldBytes_;
}

std::size_t SharpIconCache::HeldCount() const
{
    std::lock_guard lock(mutex_);
    return slots_.size();
}

bool SharpIconCache::Idle() const
{
    std::lock_guard lock(mutex_);
    return queue_.empty() && !working_;
}

void SharpIconCache::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
        if (quit_)
            return;
        const Request request = std::move(queue_.front());
        queue_.pop_front();
        if (!Waiting(request))
            continue;
        working_ = true;
        lock.unlock();
        UniqueIcon icon;
        try {
            icon = loader_(request.path, request.key.icon, request.key.pixels);
        } catch (const std::exception&) {
            icon = nullptr; // the 32-pixel icon stands in
        }
        lock.lock();
        working_ = false;
        Slot* slot = Waiting(request);
        if (!slot)
            continue;
        const bool drawn = icon != nullptr;
        heldBytes_ += IconBytes(icon.get());
        slot->icon = std::move(icon);
        slot->pending = false;
        if (drawn && onReady_) {
            const std::function<void()> onReady = onReady_;
            lock.unlock();
            onReady();
            lock.lock();
        }
    }
}

SharpIconCache::Slot* SharpIconCache::Waiting(const Request& request)
{
    const auto slot = slots_.find(request.key);
    if (slot == slots_.end() || !slot->second.pending || slot->second.ticket != request.ticket)
        return nullptr;
    return &slot->second;
}

} // namespace orbisk
