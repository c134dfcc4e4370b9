#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace orbisk::test {

// The gate every request of the mirrored file system passes before it touches
// the source folder. While it is closed, requests wait at it until it opens;
// a request already past it finishes. That is what a disk that stops
// answering looks like to a program: its calls block in the kernel, and go
// on where they were once the disk answers again.
//
// All calls are thread-safe: the file system's request threads call Pass, the
// control thread the rest.
class Gate {
public:
    // Waits while the gate is closed. A write counts towards CloseAfterWrites.
    void Pass(bool isWrite);

    void Close();
    void Open();
    // The gate closes by itself once n more writes have passed it, so that
    // everything after the n-th write waits; 0 closes it now. Close and Open
    // cancel a count in progress.
    void CloseAfterWrites(std::uint64_t n);

    // "closed=0|1 waiting=<requests held at the gate> passed=<n> writes=<n>"
    std::string Status() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable opened_;
    bool closed_ = false;
    std::uint64_t writesBeforeClose_ = 0; // 0: no count in progress
    std::size_t waiting_ = 0;
    std::uint64_t passed_ = 0;
    std::uint64_t writes_ = 0;
};

} // namespace orbisk::test
