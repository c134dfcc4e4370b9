#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace orbisk {

// Whether the calling thread has waited for storage (a disk or a network
// file system) since the last look: blocks read because the page cache
// could not serve them, or the processor given up to wait again and again.
class StorageWaitProbe {
public:
    // The first look is now.
    StorageWaitProbe();
    // True when the thread waited since the last look. items: how many
    // items of work lay between the two looks; a lock held elsewhere now and
    // then makes the thread wait too, but not for half of them.
    bool WaitedSinceLastLook(std::size_t items);

private:
    long blocksRead_ = 0;
    long voluntarySwitches_ = 0;
};

// Reader threads alive in the process, those left behind by a read-ahead
// that ended included. Every read-ahead together starts at most
// MaxLiveReaders: scans of a hanging file system, started and stopped again
// and again, cannot pile up threads without end.
class ReaderThreadCount {
public:
    static constexpr int MaxLiveReaders = 64;
    // Counts one more reader; false (and nothing counted) at the limit.
    static bool TryAdd();
    static void Remove();
    static int Live();
};

// Work on the next items of an ordered list (files, folders), done ahead of
// the scanning worker on a few reader threads, so that storage that is not
// yet in memory is read with several requests in flight instead of one item
// at a time. The worker takes the results in list order and does everything
// that changes the scan's lists or shows something itself, so the outcome
// is the one of a scan without readers.
//
// The readers see only copies of the paths and what `prepare` captured:
// they never touch the scan lists or the window. At most `ahead` items past
// the worker's are queued, being read or waiting, so what they hold is
// bounded; with a `sizeOf`, a reader also starts no item while the items
// ready and not yet taken hold `maxBytes` or more, so they hold at most that
// and the items the readers have in hand. The worker does the items the
// readers leave queued itself, so the budget never makes it wait.
//
// The readers start only once the worker has had to wait for storage while
// doing the items itself (or at once, when asked): items already in memory
// would gain little and pay for the switching between threads, so a scan of
// a folder read before runs as it would without readers.
//
// Ending (the destructor) stops the readers and joins those that end within
// ReaderEndWait. A reader still blocked in a read then (a hanging network
// file system) is left behind: it shares the state it works on, finds the
// end when its read returns, drops its work and exits; nothing waits for it
// or touches it again.
//
// T is what `prepare` makes of an item; a default T means "nothing
// prepared: the worker does the item itself".
template <typename T>
class ReadAhead {
public:
    // How long ending waits for readers still in a read before leaving them.
    static constexpr std::chrono::milliseconds ReaderEndWait { 200 };
    // While waiting for a reader, the worker looks at the stop flag this often.
    static constexpr std::chrono::milliseconds StopPollInterval { 10 };
    // Before the readers start, the worker looks every this many items at
    // whether it has waited for storage.
    static constexpr std::size_t ProbeInterval = 8;

    enum class Start { WhenWaiting, AtOnce };
    using SizeFn = std::function<std::size_t(const T&)>;
    struct Options {
        int readers = 0;
        std::size_t ahead = 1;
        Start start = Start::WhenWaiting;
        std::size_t maxBytes = 0;
        // What a prepared item holds; none: no byte budget.
        SizeFn sizeOf;
    };
    using CountFn = std::function<std::size_t()>;
    using PathFn = std::function<std::string(std::size_t)>;
    using PrepareFn = std::function<T(const std::string& path)>;

    // count() tells how many items there are now (the list may grow) and
    // pathOf(k) gives item k's path; both are called on the constructing
    // thread only, as are all the member functions. prepare runs on the
    // readers.
    ReadAhead(CountFn count, PathFn pathOf, PrepareFn prepare, Options options);
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;
    ~ReadAhead();

    // Item k, for k = 0, 1, 2 ... in turn: what its reader prepared, waiting
    // while a reader is on it; a default T when no reader had started it.
    // Nothing when stopped became true while waiting; every later call then
    // gives nothing too.
    std::optional<T> Take(std::size_t k, const std::atomic<bool>& stopped);

private:
    struct Shared;
    static void ReadItems(const std::shared_ptr<Shared>& shared, std::size_t id);
    void Engage(std::size_t from);
    void QueueUpTo(std::size_t end);

    CountFn count_;
    PathFn pathOf_;
    Options options_;
    std::shared_ptr<Shared> shared_;
    std::vector<std::thread> threads_;
    StorageWaitProbe probe_;
    bool engaged_ = false;
    std::size_t queued_ = 0;
    bool interrupted_ = false;
};

// What the worker and the readers share. Every member is guarded by mutex.
// A reader keeps the whole of it alive while it runs, so a reader left
// behind by the end never meets freed memory.
template <typename T>
struct ReadAhead<T>::Shared {
    enum class Stage { Queued, Reading, Ready };
    struct Slot {
        std::string path;
        Stage stage = Stage::Queued;
        T prepared {};
        std::size_t bytes = 0;
    };

    Shared(PrepareFn p, SizeFn s, std::size_t m)
        : prepare(std::move(p))
        , sizeOf(std::move(s))
        , maxBytes(m)
    {
    }

    const PrepareFn prepare;
    const SizeFn sizeOf;
    const std::size_t maxBytes;
    std::mutex mutex;
    // Readers wait here for a queued item or the end.
    std::condition_variable work;
    // The worker waits here for its item, and the end for the readers.
    std::condition_variable progress;
    // Items first, first + 1, ... first + window.size() - 1.
    std::deque<Slot> window;
    std::size_t first = 0;
    // The next item no one has started.
    std::size_t nextToRead = 0;
    bool workerWaiting = false;
    bool ending = false;
    // One flag per reader thread started, set as it ends.
    std::vector<bool> ended;
    // What the items ready and not yet taken hold (with sizeOf).
    std::size_t heldBytes = 0;

    Slot& At(std::size_t k) { return window[k - first]; }
    bool MayStartOne() const
    {
        return nextToRead < first + window.size() && (!sizeOf || heldBytes < maxBytes);
    }
    bool AllEnded() const { return std::all_of(ended.begin(), ended.end(), [](bool e) { return e; }); }
};

template <typename T>
void ReadAhead<T>::ReadItems(const std::shared_ptr<Shared>& shared, std::size_t id)
{
    Shared& s = *shared;
    std::unique_lock lock(s.mutex);
    for (;;) {
        s.work.wait(lock, [&] { return s.ending || s.MayStartOne(); });
        if (s.ending)
            break;
        const std::size_t k = s.nextToRead++;
        s.At(k).stage = Shared::Stage::Reading;
        const std::string path = s.At(k).path;
        lock.unlock();
        T prepared {};
        std::size_t bytes = 0;
        try {
            prepared = s.prepare(path);
            if (s.sizeOf)
                bytes = s.sizeOf(prepared);
        } catch (const std::exception&) {
            // Out of memory: the worker does this item itself.
            prepared = T {};
        }
        lock.lock();
        if (s.ending) {
            // Nobody waits for this item any more.
            lock.unlock();
            prepared = T {};
            lock.lock();
            break;
        }
        // The worker never passes an item that is being read, so k is still
        // in the window.
        s.At(k).prepared = std::move(prepared);
        s.At(k).bytes = bytes;
        s.heldBytes += bytes;
        s.At(k).stage = Shared::Stage::Ready;
        if (s.workerWaiting)
            s.progress.notify_one();
    }
    s.ended[id] = true;
    s.progress.notify_all();
}

template <typename T>
ReadAhead<T>::ReadAhead(CountFn count, PathFn pathOf, PrepareFn prepare, Options options)
    : count_(std::move(count))
    , pathOf_(std::move(pathOf))
    , options_(options)
    , shared_(std::make_shared<Shared>(std::move(prepare), options.sizeOf, options.maxBytes))
{
    if (options_.start == Start::AtOnce)
        Engage(0);
}

template <typename T>
ReadAhead<T>::~ReadAhead()
{
    std::unique_lock lock(shared_->mutex);
    shared_->ending = true;
    shared_->work.notify_all();
    shared_->progress.wait_for(lock, ReaderEndWait, [&] { return shared_->AllEnded(); });
    const std::vector<bool> ended = shared_->ended;
    lock.unlock();
    for (std::size_t id = 0; id < threads_.size(); ++id) {
        if (ended[id])
            threads_[id].join();
        else
            threads_[id].detach();
    }
}

template <typename T>
void ReadAhead<T>::Engage(std::size_t from)
{
    engaged_ = true;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->first = shared_->nextToRead = from;
    }
    queued_ = from;
    QueueUpTo(std::min(count_(), from + options_.ahead));
    for (int id = 0; id < options_.readers; ++id) {
        if (!ReaderThreadCount::TryAdd())
            break;
        std::lock_guard lock(shared_->mutex);
        try {
            shared_->ended.push_back(false);
            threads_.emplace_back([shared = shared_, id = std::size_t(id)] {
                ReadItems(shared, id);
                ReaderThreadCount::Remove();
            });
        } catch (const std::exception&) {
            // No thread (or no memory for one): go on with those there are.
            shared_->ended.resize(threads_.size());
            ReaderThreadCount::Remove();
            break;
        }
    }
}

template <typename T>
void ReadAhead<T>::QueueUpTo(std::size_t end)
{
    if (queued_ >= end)
        return;
    // The paths are made before the lock is taken: readers wait for it.
    std::vector<std::string> paths;
    paths.reserve(end - queued_);
    for (std::size_t k = queued_; k < end; ++k)
        paths.push_back(pathOf_(k));
    {
        std::lock_guard lock(shared_->mutex);
        for (std::string& path : paths)
            shared_->window.push_back(typename Shared::Slot { std::move(path), Shared::Stage::Queued, T {}, 0 });
    }
    shared_->work.notify_all();
    queued_ = end;
}

template <typename T>
std::optional<T> ReadAhead<T>::Take(std::size_t k, const std::atomic<bool>& stopped)
{
    if (interrupted_)
        return std::nullopt;
    if (!engaged_) {
        if (k % ProbeInterval != 0 || !probe_.WaitedSinceLastLook(ProbeInterval))
            return T {};
        Engage(k);
    }
    // The window is topped up half a window at a time, so the readers are
    // woken once for many items rather than once for each.
    if (queued_ < k + options_.ahead / 2 + 1)
        QueueUpTo(std::min(count_(), k + options_.ahead));
    std::unique_lock lock(shared_->mutex);
    Shared& s = *shared_;
    if (k != s.first || s.window.empty())
        return T {}; // not queued (past the end of the list as it was): do it yourself
    typename Shared::Slot& slot = s.At(k);
    while (slot.stage == Shared::Stage::Reading) {
        if (stopped.load(std::memory_order_relaxed)) {
            interrupted_ = true;
            return std::nullopt;
        }
        s.workerWaiting = true;
        s.progress.wait_for(lock, StopPollInterval);
        s.workerWaiting = false;
    }
    T prepared = std::move(slot.prepared);
    // Readers held back by the budget may start again.
    const bool overBudget = s.sizeOf && s.heldBytes >= s.maxBytes;
    s.heldBytes -= slot.bytes;
    const bool wake = overBudget && s.heldBytes < s.maxBytes;
    s.nextToRead = std::max(s.nextToRead, k + 1);
    s.window.pop_front();
    ++s.first;
    lock.unlock();
    if (wake)
        s.work.notify_all();
    return prepared;
}

} // namespace orbisk
