#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace orbisk {

// Where the batch-save worker leaves its reports for the window thread, in
// the order posted. Steps that follow each other are merged. The worker waits
// for the window only once: after it has posted the error box, until the
// window has closed it (Answer) or lets it go on without it (Release).
class SaveMarkedMailbox {
public:
    struct Report {
        enum Kind { Maximum, Step, Errors, Close };
        Kind kind;
        std::size_t count = 0; // Maximum, Step
        std::string text; // Errors
    };

    // wake is called on the worker thread after a post when the window has
    // taken everything posted before; it must only ask the window thread to
    // call Take soon, and never block.
    explicit SaveMarkedMailbox(std::function<void()> wake = {});

    // Worker side.
    void PostMaximum(std::size_t maximum);
    void PostStep();
    // Returns once the window has answered (or released the worker).
    void PostErrorsAndWait(std::string text);
    void PostClose();

    // Window side.
    std::vector<Report> Take();
    // The error box was closed: the waiting worker goes on.
    void Answer();
    // From now on the worker waits for nothing (stopping it, or ending the
    // program); Reset() makes it wait again, for the next batch.
    void Release();
    void Reset();
    void SetWakeEnabled(bool on) { wakeEnabled_.store(on, std::memory_order_relaxed); }

private:
    void Post(Report report);

    std::function<void()> wake_;
    std::atomic<bool> wakeEnabled_ { true };
    std::atomic<bool> wakePending_ { false };

    std::mutex mutex_;
    std::condition_variable answeredCv_;
    std::vector<Report> reports_;
    bool answered_ = false;
    bool released_ = false;
};

} // namespace orbisk
