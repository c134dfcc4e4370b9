#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orbisk {

// One inotify event as the kernel reported it.
struct InotifyEvent {
    int wd = -1;
    uint32_t mask = 0;
    uint32_t cookie = 0;
    std::string name; // empty for events on the watched object itself
};

// Splits the bytes of one read of an inotify descriptor into events. The
// bytes are treated as outside data: a record that does not fit in what is
// left ends the list.
std::vector<InotifyEvent> ParseInotifyEvents(std::span<const char> bytes);

} // namespace orbisk
