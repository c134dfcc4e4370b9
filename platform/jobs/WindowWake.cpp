#include "platform/jobs/WindowWake.h"

#include <QCoreApplication>
#include <QObject>
#include <QSocketNotifier>

#include <cstdint>

#include <sys/eventfd.h>
#include <unistd.h>

namespace orbisk {

namespace {

// A counter in the kernel carries the wake: no memory passes between the
// threads but what the mailboxes hand over under their locks. The counter
// goes with its notifier.
class WakeCounter : public QObject {
public:
    explicit WakeCounter(int fd)
        : fd_(fd)
        , notifier_(new QSocketNotifier(fd, QSocketNotifier::Read, this))
    {
    }
    ~WakeCounter() override
    {
        delete notifier_;
        ::close(fd_);
    }
    int Fd() const { return fd_; }
    QSocketNotifier* Notifier() const { return notifier_; }

private:
    int fd_;
    QSocketNotifier* notifier_;
};

} // namespace

WindowWake::WindowWake(std::function<void()> onWake)
    : onWake_(std::move(onWake))
{
    if (!QCoreApplication::instance())
        return;
    const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0)
        return;
    auto counter = std::make_unique<WakeCounter>(fd);
    QObject::connect(counter->Notifier(), &QSocketNotifier::activated, counter.get(), [this, fd] {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = ::read(fd, &count, sizeof count);
        pending_.store(false);
        if (onWake_)
            onWake_();
    });
    receiver_ = std::move(counter);
}

WindowWake::~WindowWake() = default;

void WindowWake::Signal()
{
    if (!receiver_ || pending_.exchange(true))
        return;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(static_cast<WakeCounter*>(receiver_.get())->Fd(), &one, sizeof one);
}

} // namespace orbisk
