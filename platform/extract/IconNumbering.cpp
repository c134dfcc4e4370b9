#include "platform/extract/IconNumbering.h"

#include "platform/extract/IconGroupDecoder.h"

namespace orbisk {

IconNumbering::IconNumbering(ContainerPtr container)
    : container_(std::move(container))
{
    if (container_)
        yields_.assign(container_->GroupCount(), Yield::Unknown);
}

Result<IconData> IconNumbering::Icon(ByteSource& source, int n, ImageInfo* chosen)
{
    if (!container_ || n < 0)
        return Error { "no such icon" };
    int seen = 0;
    uint32_t g = 0;
    if (lastIcon_ >= 0 && n > lastIcon_) {
        seen = lastIcon_ + 1;
        g = lastGroup_ + 1;
    }
    for (; g < yields_.size(); ++g) {
        if (yields_[g] == Yield::No)
            continue;
        if (yields_[g] == Yield::Yes && seen < n) {
            ++seen;
            continue;
        }
        // Either the icon asked for, or a group not yet known to yield.
        auto icon = DecodeGroup(source, *container_, g, seen == n ? chosen : nullptr);
        yields_[g] = icon ? Yield::Yes : Yield::No;
        if (!icon)
            continue;
        if (seen == n) {
            lastIcon_ = n;
            lastGroup_ = g;
            return icon;
        }
        ++seen;
    }
    return Error { "no such icon" };
}

} // namespace orbisk
