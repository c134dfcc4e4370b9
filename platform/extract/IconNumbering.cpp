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

// Icon() lives in IconNumberingIcon.cpp: its decoder fits images with Qt,
// which programs that only read groups (the thumbnailer) do not load.
Result<uint32_t> IconNumbering::Group(ByteSource& source, int n)
{
    return Find(source, n, nullptr, nullptr, nullptr);
}

// Walks the groups to the n-th that yields. A group whose yield is unknown
// needs one image that decodes; group n is decoded whole by `decode` when
// `icon` wants its image.
Result<uint32_t> IconNumbering::Find(ByteSource& source, int n, ImageInfo* chosen, IconData* icon,
                                     GroupDecoder decode)
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
        const bool wanted = seen == n;
        if (wanted && icon && decode) {
            if (yields_[g] == Yield::No)
                continue;
            auto decoded = decode(source, *container_, g, chosen);
            yields_[g] = decoded ? Yield::Yes : Yield::No;
            if (!decoded)
                continue;
            *icon = std::move(*decoded);
            return Found(n, g);
        }
        if (yields_[g] == Yield::Unknown)
            yields_[g] = GroupYields(source, *container_, g) ? Yield::Yes : Yield::No;
        if (yields_[g] == Yield::No)
            continue;
        if (wanted)
            return Found(n, g);
        ++seen;
    }
    return Error { "no such icon" };
}

} // namespace orbisk
