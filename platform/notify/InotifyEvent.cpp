#include "platform/notify/InotifyEvent.h"

#include "platform/base/ByteReader.h"

#include <cstring>
#include <sys/inotify.h>

namespace orbisk {

std::vector<InotifyEvent> ParseInotifyEvents(std::span<const char> bytes)
{
    // The kernel writes its records in the machine's own byte order, so the
    // header is copied whole once the reader has vouched for its bytes.
    const ByteReader reader(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    constexpr uint64_t headerSize = sizeof(inotify_event);
    std::vector<InotifyEvent> events;
    uint64_t offset = 0;
    while (true) {
        const auto header = reader.Bytes(offset, headerSize);
        if (!header)
            break;
        inotify_event raw;
        std::memcpy(&raw, header->data(), headerSize);
        const auto name = reader.Bytes(offset + headerSize, raw.len);
        if (!name)
            break;
        // The name is padded with NULs to its record's length.
        const auto* chars = reinterpret_cast<const char*>(name->data());
        events.push_back({raw.wd, raw.mask, raw.cookie, std::string(chars, ::strnlen(chars, name->size()))});
        offset += headerSize + raw.len;
    }
    return events;
}

} // namespace orbisk
