#include "platform/extract/IconNumbering.h"

#include "platform/extract/IconGroupDecoder.h"

namespace orbisk {

uint32_t IconNumbering::Found(int n, uint32_t g)
{
    lastIcon_ = n;
    lastGroup_ = g;
    return g;
}

IconNumbering::IconNumbering(ContainerPtr container)
    : container_(std::move(container))
{
    if (container_)
        yields_.assign(container_->GroupCount(), Yield::Unknown);
}

Result<IconData> IconNumbering::Icon(ByteSource& source, int n, ImageInfo* chosen)
{
    IconData icon;
    auto g = Find(source, n, chosen, &icon);
    if (!g)
        return g.AsError();
    return icon;
}

Result<uint32_t> IconNumbering::Group(ByteSource& source, int n) { return Find(source, n, nullptr, nullptr); }

// Walks the groups to the n-th that yields, decoding those whose yield is
// unknown, and group n itself when `icon` wants its image.
Result<uint32_t> IconNumbering::Find(ByteSource& source, int n, ImageInfo* chosen, IconData* icon)
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
        const bool wanted = seen == n;
        if (yields_[g] == Yield::Yes && !(wanted && icon)) {
            if (wanted)
                return Found(n, g);
            ++seen;
            continue;
        }
        // Either the icon asked for, or a group not yet known to yield.
        auto decoded = DecodeGroup(source, *container_, g, wanted ? chosen : nullptr);
        yields_[g] = decoded ? Yield::Yes : Yield::No;
        if (!decoded)
            continue;
        if (wanted) {
            if (icon)
                *icon = std::move(*decoded);
            return Found(n, g);
        }
        ++seen;
    }
    return Error { "no such icon" };
}

} // namespace orbisk
