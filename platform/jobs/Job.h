#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace orbisk {

// What the window says while new work waits for jobs left behind.
inline constexpr std::string_view DiskNotAnswering = "The disk does not answer";

// What a running job sees of the one that started it: whether it is to
// stop, and the gate through which alone it may touch anything the owner
// keeps (the window's lists, marks, mailboxes and wakes).
//
// The gate is a short lock: what passes through it must never wait for the
// disk. Once the owner has left the job behind (see Job::Stop), the gate
// stays shut and Through runs nothing, so a job that comes back from a read
// of a disk that did not answer reads, writes and reports nothing of its
// owner's.
class JobControl {
public:
    bool Cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
    const std::atomic<bool>& CancelFlag() const { return cancelled_; }

    // Runs touch under the gate and returns true, or returns false without
    // running it once the job was left behind.
    template <typename Touch>
    bool Through(Touch&& touch)
    {
        const std::lock_guard lock(gate_);
        if (!attached_)
            return false;
        touch();
        return true;
    }
    // True while the owner still takes what the job gives.
    bool Attached()
    {
        const std::lock_guard lock(gate_);
        return attached_;
    }

private:
    friend class Job;
    std::atomic<bool> cancelled_ { false };
    std::mutex gate_;
    bool attached_ = true;
};

// Work on a thread of its own, which its owner can stop without ever
// waiting long for it. Every thread of background work is made here (the
// read-ahead readers of a scan excepted).
//
// Stopping cancels the job and waits at most StopWait for it, calling the
// owner back meanwhile so that its reports are still shown. A job that has
// not ended by then is blocked where cancelling cannot reach it (a read of a
// disk that stopped answering): it is left behind, its gate shut, and
// nothing waits for it again. What it uses beyond the gate it must own
// (copies of paths and options, counted references to images).
//
// At most MaxLeftBehind jobs may be left behind at once. Past that a new
// job waits in a queue, without a thread, until one of them ends; the
// window stays usable and can say so (Job::Stalled).
//
// Threads: a Job object belongs to the thread that made it.
class Job {
public:
    using Work = std::function<void(JobControl&)>;

    static constexpr std::chrono::milliseconds StopWait { 100 };
    static constexpr std::chrono::milliseconds PollInterval { 25 };
    static constexpr int MaxLeftBehind = 16;

    // No job.
    Job();
    // Starts work on a new thread, or queues it while MaxLeftBehind jobs
    // are left behind. Throws std::system_error when no thread can be made.
    explicit Job(Work work);
    Job(Job&&) noexcept;
    Job& operator=(Job&&) noexcept;
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;
    // Stops the job without calling anyone back.
    ~Job();

    // True while the job has work that has not ended (queued included).
    bool Running() const;
    // True when the job waits in the queue for a thread.
    bool Queued() const;
    void Cancel();
    // Waits up to timeout for the work to end; true when it has (or when
    // there is no job).
    bool WaitFor(std::chrono::milliseconds timeout) const;
    // Cancels the job, then waits up to `wait` for it, calling whileWaiting
    // every PollInterval. Returns true when the job ended (or there was
    // none); false when it was left behind. Either way the object holds no
    // job afterwards.
    bool Stop(const std::function<void()>& whileWaiting = {}, std::chrono::milliseconds wait = StopWait);
    // Leaves a job still running behind at once (its gate shut); false
    // when it had ended and was only joined.
    bool Release();

    // Jobs left behind that have not ended yet.
    static int LeftBehind();
    // True while some job waits in the queue because too many are left
    // behind.
    static bool Stalled();

    struct State;

private:
    std::shared_ptr<State> state_;
};

} // namespace orbisk
