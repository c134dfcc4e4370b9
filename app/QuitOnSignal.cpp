#include "app/QuitOnSignal.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace orbisk {

namespace {

constexpr std::array<int, 2> HandledSignals { SIGTERM, SIGINT };

// The pipe's write end, the only thing the handler touches: a signal handler
// may do no more than write(2).
int signalPipe[2] = { -1, -1 };

void RestoreDefaultActions()
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : HandledSignals)
        ::sigaction(signal, &action, nullptr);
}

extern "C" void OnSignal(int signal)
{
    const int savedErrno = errno;
    // Used once: should closing hang, the next signal ends the program.
    RestoreDefaultActions();
    const char byte = char(signal);
    // A full pipe already holds a wake-up; the byte may be dropped.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

QuitOnSignal::QuitOnSignal(std::function<void()> quit)
    : quit_(std::move(quit))
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // the signals keep their default action: the program ends
    notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &QuitOnSignal::Drain);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : HandledSignals)
        ::sigaction(signal, &action, nullptr);
}

QuitOnSignal::~QuitOnSignal()
{
    RestoreDefaultActions();
    delete notifier_;
    for (int& fd : signalPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void QuitOnSignal::Drain()
{
    char bytes[16];
    bool signalled = false;
    while (::read(signalPipe[0], bytes, sizeof bytes) > 0)
        signalled = true;
    if (signalled && quit_)
        quit_();
}

} // namespace orbisk
