#pragma once

#include "platform/jobs/JobMailbox.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace orbisk {

// Where the batch-save worker leaves its reports for the window thread, in
// the order posted. Steps that follow each other are merged. The worker waits
// for the window only once: after it has posted the error box, until the
// window has closed it (Answer) or lets it go on without it (Release).
//
// One batch has one mailbox, shared by the batch and its worker, so a worker
// left behind waits on, and posts to, nothing of the window's.
class SaveMarkedMailbox {
public:
    struct Report {
        enum Kind { Maximum, Step, Errors, Close };
        Kind kind;
        std::size_t count = 0; // Maximum, Step
        std::string text; // Errors
    };

    // wake, when given, is signalled after each post.
    explicit SaveMarkedMailbox(WindowWake* wake = nullptr);
    SaveMarkedMailbox(const SaveMarkedMailbox&) = delete;
    SaveMarkedMailbox& operator=(const SaveMarkedMailbox&) = delete;

    // The worker's job, whose gate every post goes through; until it is
    // set, posts go through a gate of the mailbox's own that never shuts.
    void SetJob(JobControl& job) { job_ = &job; }

    // Worker side.
    void PostMaximum(std::size_t maximum);
    void PostStep();
    // Returns once the window has answered (or released the worker); at
    // once when the worker was left behind.
    void PostErrorsAndWait(std::string text);
    void PostClose();

    // Window side.
    std::vector<Report> Take() { return box_.Take().reports; }
    // The error box was closed: the waiting worker goes on.
    void Answer();
    // From now on the worker waits for nothing (stopping it, or ending the
    // program).
    void Release();

private:
    JobMailbox<Report> box_;
    JobControl ownGate_;
    JobControl* job_ = &ownGate_;
    std::mutex mutex_;
    std::condition_variable answeredCv_;
    bool answered_ = false;
    bool released_ = false;
};

} // namespace orbisk
