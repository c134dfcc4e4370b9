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

SharpIconCache::State::State(Loader loader, std::size_t capacity)
    : loader_(std::move(loader))
    , capacity_(std::max<std::size_t>(capacity, 1))
{
}

SharpIconCache::SharpIconCache(Loader loader, std::size_t capacity)
    : state_(std::make_shared<State>(std::move(loader), capacity))
{
}

SharpIconCache::~SharpIconCache()
{
    State& s = *state_;
    {
        std::lock_guard lock(s.mutex_);
        s.quit_ = true;
        s.queue_.clear();
    }
    s.wake_.notify_all();
    job_.Stop();
}

void SharpIconCache::SetOnReady(std::function<void()> onReady)
{
    State& s = *state_;
    std::lock_guard lock(s.mutex_);
    s.onReady_ = std::move(onReady);
}

HICON SharpIconCache::Find(int32_t fileIndex, int32_t iconIndex, int pixels, const std::function<std::string()>& path)
{
    State& s = *state_;
    const Key key { fileIndex, iconIndex, pixels };
    std::unique_lock lock(s.mutex_);
    if (auto found = s.slots_.find(key); found != s.slots_.end()) {
        s.uses_.splice(s.uses_.begin(), s.uses_, found->second.use);
        return found->second.pending ? nullptr : found->second.icon.get();
    }
    s.uses_.push_front(key);
    try {
        Slot& slot = s.slots_[key];
        slot.use = s.uses_.begin();
        slot.ticket = ++s.tickets_;
        s.queue_.push_front({ key, path(), slot.ticket });
    } catch (...) {
        s.slots_.erase(key);
        s.uses_.pop_front();
        throw;
    }
    s.Trim();
    if (!job_.Running() && !StartJob())
        return nullptr;
    lock.unlock();
    s.wake_.notify_one();
    return nullptr;
}

// Without a job every icon is drawn at 32 pixels, as on a screen of ratio 1.
// Called with the lock held.
bool SharpIconCache::StartJob()
{
    State& s = *state_;
    try {
        job_ = Job([state = state_](JobControl& job) { Run(state, job); });
        return true;
    } catch (const std::system_error&) {
        s.queue_.clear();
        for (auto& [key, slot] : s.slots_)
            slot.pending = false;
        return false;
    }
}

// Requests past the capacity are for cells drawn long ago: they are dropped
// with their slots, so a cell drawn again asks anew.
void SharpIconCache::State::Trim()
{
    State& s = *this;
    while (s.queue_.size() > s.capacity_) {
        if (Slot* slot = s.Waiting(s.queue_.back())) {
            s.uses_.erase(slot->use);
            s.slots_.erase(s.queue_.back().key);
        }
        s.queue_.pop_back();
    }
    while (s.slots_.size() > s.capacity_) {
        const auto slot = s.slots_.find(s.uses_.back());
        s.heldBytes_ -= IconBytes(slot->second.icon.get());
        s.slots_.erase(slot);
        s.uses_.pop_back();
    }
}

void SharpIconCache::EnsureCapacity(std::size_t capacity)
{
    State& s = *state_;
    std::lock_guard lock(s.mutex_);
    s.capacity_ = std::max(s.capacity_, capacity);
}

void SharpIconCache::Clear()
{
    State& s = *state_;
    std::unique_lock lock(s.mutex_);
    s.slots_.clear();
    s.uses_.clear();
    s.queue_.clear();
    s.heldBytes_ = 0;
    if (!s.working_)
        return;
    // The maker is still on an icon of the old scan, perhaps in a read of a
    // disk that does not answer: it is left behind with what it shares, and
    // the new scan's icons get a maker of their own.
    s.quit_ = true;
    auto fresh = std::make_shared<State>(s.loader_, s.capacity_);
    fresh->onReady_ = s.onReady_;
    lock.unlock();
    s.wake_.notify_all();
    job_.Release();
    state_ = std::move(fresh);
}

std::size_t SharpIconCache::HeldBytes() const
{
    const State& s = *state_;
    std::lock_guard lock(s.mutex_);
    return s.heldBytes_;
}

std::size_t SharpIconCache::HeldCount() const
{
    const State& s = *state_;
    std::lock_guard lock(s.mutex_);
    return s.slots_.size();
}

bool SharpIconCache::Idle() const
{
    const State& s = *state_;
    std::lock_guard lock(s.mutex_);
    return s.queue_.empty() && !s.working_;
}

void SharpIconCache::Run(const std::shared_ptr<State>& state, JobControl& job)
{
    State& s = *state;
    std::unique_lock lock(s.mutex_);
    for (;;) {
        s.wake_.wait(lock, [&s] { return s.quit_ || !s.queue_.empty(); });
        if (s.quit_)
            return;
        const Request request = std::move(s.queue_.front());
        s.queue_.pop_front();
        if (!s.Waiting(request))
            continue;
        s.working_ = true;
        lock.unlock();
        UniqueIcon icon;
        try {
            icon = s.loader_(request.path, request.key.icon, request.key.pixels);
        } catch (const std::exception&) {
            icon = nullptr; // the 32-pixel icon stands in
        }
        lock.lock();
        s.working_ = false;
        Slot* slot = s.Waiting(request);
        if (!slot)
            continue;
        const bool drawn = icon != nullptr;
        s.heldBytes_ += IconBytes(icon.get());
        slot->icon = std::move(icon);
        slot->pending = false;
        if (drawn && s.onReady_) {
            const std::function<void()> onReady = s.onReady_;
            lock.unlock();
            job.Through(onReady);
            lock.lock();
        }
    }
}

SharpIconCache::Slot* SharpIconCache::State::Waiting(const Request& request)
{
    State& s = *this;
    const auto slot = s.slots_.find(request.key);
    if (slot == s.slots_.end() || !slot->second.pending || slot->second.ticket != request.ticket)
        return nullptr;
    return &slot->second;
}

} // namespace orbisk
