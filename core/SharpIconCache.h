#pragma once

#include "core/SharpIcon.h"
#include "platform/jobs/Job.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace orbisk {

// The grid's icons at more than 32 device pixels (a screen with a pixel
// ratio above 1), made on a thread of their own only for the cells the grid
// paints, and at most `capacity` of them held, the least recently drawn
// dropped first. Holding a large image beside every 32-pixel icon of a scan
// would take four times the memory of the scan's icons and make every scan
// read each group twice; this way a screen of ratio 1 never pays anything
// and a large scan pays for a few screens of icons.
//
// An icon is named by its place in the scan (file index and icon index in
// the file); Clear forgets everything when a new scan starts.
//
// Threads: every member is for one thread (the window's), except that the
// ready callback runs on the loading job, through its gate. The job touches
// only the queue and the table under the lock and copies of paths; ending
// waits for it at most Job::StopWait, then leaves it behind.
class SharpIconCache {
public:
    using Loader = std::function<UniqueIcon(const std::string& path, int n, int pixels)>;
    static constexpr std::size_t DefaultCapacity = 2048;

    explicit SharpIconCache(Loader loader = MakeSharpIcon, std::size_t capacity = DefaultCapacity);
    SharpIconCache(const SharpIconCache&) = delete;
    SharpIconCache& operator=(const SharpIconCache&) = delete;
    // Drops what is queued and stops the job (see Job::Stop).
    ~SharpIconCache();

    // Runs on the loading thread after each icon is made (or found to have
    // no sharp image); it must only hand the news to the window thread.
    void SetOnReady(std::function<void()> onReady);

    // The icon made for (fileIndex, iconIndex) at `pixels`, or nullptr while
    // it is being made and when there is none (see MakeSharpIcon). A miss
    // asks for it, newest requests first; path() is called only then.
    HICON Find(int32_t fileIndex, int32_t iconIndex, int pixels, const std::function<std::string()>& path);
    // Keeps at least `capacity` icons (the grid asks for twice the cells it
    // shows, so that a paint never drops the icons it has just drawn).
    void EnsureCapacity(std::size_t capacity);
    // Forgets every icon and request; an icon being made is thrown away.
    void Clear();

    // Bytes of the icons held, pixels and masks.
    std::size_t HeldBytes() const;
    // Icons held and icons being made.
    std::size_t HeldCount() const;
    // True when no request waits or is being worked on.
    bool Idle() const;

private:
    struct Key {
        int32_t file;
        int32_t icon;
        int pixels;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const;
    };
    struct Slot {
        UniqueIcon icon;
        bool pending = true;
        unsigned long ticket = 0; // of the request that makes it
        std::list<Key>::iterator use; // place in uses_
    };
    struct Request {
        Key key;
        std::string path;
        unsigned long ticket;
    };

    // Everything the making job touches: it shares it, so that a job left
    // behind in a read that does not return never meets freed memory.
    struct State {
        explicit State(Loader loader, std::size_t capacity);
        void Trim();
        // The slot a request was made for, if it still waits for it.
        Slot* Waiting(const Request& request);

        const Loader loader_;
        std::function<void()> onReady_;
        mutable std::mutex mutex_;
        std::condition_variable wake_;
        std::unordered_map<Key, Slot, KeyHash> slots_;
        std::list<Key> uses_; // most recently drawn first
        std::deque<Request> queue_; // newest first
        std::size_t capacity_;
        std::size_t heldBytes_ = 0;
        unsigned long tickets_ = 0;
        bool working_ = false;
        bool quit_ = false;
    };

    static void Run(const std::shared_ptr<State>& state, JobControl& job);
    bool StartJob();

    std::shared_ptr<State> state_;
    Job job_; // started with the first request
};

} // namespace orbisk
