#include "platform/jobs/Job.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <system_error>
#include <thread>

namespace orbisk {

struct Job::State {
    JobControl control;
    Work work;
    std::mutex mutex;
    mutable std::condition_variable ended;
    std::thread thread;
    bool finished = false;
    bool queued = false;
    bool leftBehind = false;
};

namespace {

// What every job shares. Never destroyed: a job left behind may still end
// while the program exits.
struct Registry {
    std::mutex mutex;
    int leftBehind = 0;
    std::deque<std::shared_ptr<Job::State>> queue;
};

Registry& Jobs()
{
    static Registry* const registry = new Registry;
    return *registry;
}

void StartThread(const std::shared_ptr<Job::State>& state);

void Run(const std::shared_ptr<Job::State>& state)
{
    try {
        state->work(state->control);
    } catch (const std::exception&) {
        // The work reports its own failures; an escaped one ends the job.
    }
    state->work = nullptr; // what it captured goes before the end is told
    bool leftBehind = false;
    {
        const std::lock_guard lock(state->mutex);
        state->finished = true;
        leftBehind = state->leftBehind;
        state->ended.notify_all();
    }
    if (!leftBehind)
        return;
    Registry& jobs = Jobs();
    const std::lock_guard lock(jobs.mutex);
    --jobs.leftBehind;
    while (jobs.leftBehind < Job::MaxLeftBehind && !jobs.queue.empty()) {
        std::shared_ptr<Job::State> next = std::move(jobs.queue.front());
        jobs.queue.pop_front();
        StartThread(next);
    }
}

// With the state's lock held, so that the thread cannot end (and its owner
// join it) before it is stored.
void StartThread(const std::shared_ptr<Job::State>& state)
{
    const std::lock_guard lock(state->mutex);
    state->queued = false;
    try {
        state->thread = std::thread([state] { Run(state); });
    } catch (const std::system_error&) {
        state->work = nullptr;
        state->finished = true;
        state->ended.notify_all();
    }
}

// A job still in the queue never gets a thread: it ends here.
void Dequeue(const std::shared_ptr<Job::State>& state)
{
    Registry& jobs = Jobs();
    const std::lock_guard lock(jobs.mutex);
    const auto queued = std::find(jobs.queue.begin(), jobs.queue.end(), state);
    if (queued == jobs.queue.end())
        return;
    jobs.queue.erase(queued);
    const std::lock_guard stateLock(state->mutex);
    state->queued = false;
    state->finished = true;
    state->work = nullptr;
    state->ended.notify_all();
}

} // namespace

Job::Job() = default;

Job::Job(Work work)
    : state_(std::make_shared<State>())
{
    state_->work = std::move(work);
    Registry& jobs = Jobs();
    const std::lock_guard lock(jobs.mutex);
    if (jobs.leftBehind >= MaxLeftBehind) {
        state_->queued = true;
        jobs.queue.push_back(state_);
        return;
    }
    state_->thread = std::thread([state = state_] { Run(state); });
}

Job::Job(Job&&) noexcept = default;

Job& Job::operator=(Job&& other) noexcept
{
    if (this != &other) {
        Stop();
        state_ = std::move(other.state_);
    }
    return *this;
}

Job::~Job() { Stop(); }

bool Job::Running() const
{
    if (!state_)
        return false;
    const std::lock_guard lock(state_->mutex);
    return !state_->finished;
}

bool Job::Queued() const
{
    if (!state_)
        return false;
    const std::lock_guard lock(state_->mutex);
    return state_->queued;
}

void Job::Cancel()
{
    if (state_)
        state_->control.cancelled_.store(true);
}

bool Job::WaitFor(std::chrono::milliseconds timeout) const
{
    if (!state_)
        return true;
    std::unique_lock lock(state_->mutex);
    return state_->ended.wait_for(lock, timeout, [this] { return state_->finished; });
}

bool Job::Stop(const std::function<void()>& whileWaiting, std::chrono::milliseconds wait)
{
    if (!state_)
        return true;
    // whileWaiting may show a box whose event loop stops or replaces this
    // very job: the one stopped here is held apart.
    const std::shared_ptr<State> state = state_;
    Cancel();
    Dequeue(state);
    // Only time spent waiting for the job counts: a box shown meanwhile
    // (whose answer the job may be waiting for) does not use it up.
    std::chrono::milliseconds left = wait;
    for (;;) {
        const auto slice = std::clamp(left, std::chrono::milliseconds(0), PollInterval);
        const auto before = std::chrono::steady_clock::now();
        {
            std::unique_lock lock(state->mutex);
            if (state->ended.wait_for(lock, slice, [&] { return state->finished; }))
                break;
        }
        left -= std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before);
        if (left <= std::chrono::milliseconds(0))
            break;
        if (whileWaiting)
            whileWaiting();
    }
    if (state_ != state) {
        // Stopped again from inside whileWaiting, and perhaps replaced.
        Job stopped;
        stopped.state_ = state;
        return !stopped.Release();
    }
    return !Release();
}

bool Job::Release()
{
    if (!state_)
        return false;
    const std::shared_ptr<State> state = std::move(state_);
    Dequeue(state);
    {
        const std::lock_guard gate(state->control.gate_);
        state->control.attached_ = false;
    }
    state->control.cancelled_.store(true);
    std::thread thread;
    {
        const std::lock_guard lock(state->mutex);
        if (state->leftBehind)
            return true; // by a stop nested in another one
        if (!state->finished) {
            state->leftBehind = true;
            Registry& jobs = Jobs();
            const std::lock_guard registryLock(jobs.mutex);
            ++jobs.leftBehind;
            if (state->thread.joinable())
                state->thread.detach();
            return true;
        }
        thread = std::move(state->thread);
    }
    if (thread.joinable())
        thread.join();
    return false;
}

int Job::LeftBehind()
{
    Registry& jobs = Jobs();
    const std::lock_guard lock(jobs.mutex);
    return jobs.leftBehind;
}

bool Job::Stalled()
{
    Registry& jobs = Jobs();
    const std::lock_guard lock(jobs.mutex);
    return !jobs.queue.empty();
}

} // namespace orbisk
