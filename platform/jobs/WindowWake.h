#pragma once

#include <atomic>
#include <functional>
#include <memory>

class QObject;

namespace orbisk {

// The one way background work wakes the window thread: Signal, from any
// thread, has `onWake` called soon on the thread that made the object, by
// that thread's event loop. Signals that come before the call are merged
// into it. Without a Qt application (a program without an event loop)
// Signal does nothing and the owner takes its reports itself.
//
// A job signals only through its gate (JobControl::Through), so that a job
// left behind never touches a wake its owner has destroyed.
class WindowWake {
public:
    explicit WindowWake(std::function<void()> onWake);
    WindowWake(const WindowWake&) = delete;
    WindowWake& operator=(const WindowWake&) = delete;
    ~WindowWake();

    void Signal();
    // False when no event loop could ever call onWake.
    bool Available() const { return receiver_ != nullptr; }

private:
    std::function<void()> onWake_;
    std::unique_ptr<QObject> receiver_;
    std::atomic<bool> pending_ { false };
};

} // namespace orbisk
