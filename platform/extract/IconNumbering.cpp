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
    return FindIcon(source, n, nullptr);
}

// Walks the groups to the n-th that yields. A group whose yield is unknown
// needs one image that decodes; the icon of group n is made by `make`, when
// given, which tells the yield too.
Result<uint32_t> IconNumbering::FindIcon(ByteSource& source, int n, const GroupIcon& make)
{
    if (!container_ || n < 0)
        return Error { "no such icon" };
    int seen = 0;
    uint32_t g = 0;
    // From the last icon on (whose group yields), so that asking again for
    // it, as a caller that reads an icon's group and then its name does,
    // costs no walk either.
    if (lastIcon_ >= 0 && n >= lastIcon_) {
        seen = lastIcon_;
        g = lastGroup_;
    }
    for (; g < yields_.size(); ++g) {
        const bool wanted = seen == n;
        if (wanted && make) {
            if (yields_[g] == Yield::No)
                continue;
            const bool made = make(g);
            yields_[g] = made ? Yield::Yes : Yield::No;
            if (!made)
                continue;
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
