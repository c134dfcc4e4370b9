#include "platform/namespace/NameOrder.h"

#include "platform/namespace/NaturalOrder.h"

namespace orbisk {

namespace {

int Sign(int c)
{
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int ByteOrder(std::string_view a, std::string_view b)
{
    return Sign(a.compare(b));
}

int KindRank(IdKind kind)
{
    switch (kind) {
    case IdKind::Computer:
        return 0;
    case IdKind::Home:
        return 1;
    case IdKind::Drive:
        return 2;
    case IdKind::DesktopEntry:
    case IdKind::Name:
        break;
    }
    return 3;
}

// Kind, then `/` before the other drives, then folders before files: one
// number, so that comparing ranks is comparing those three in turn.
int Rank(const ItemIdList::ElementView& e)
{
    const bool root = e.kind == IdKind::Drive && e.name == "/";
    const bool file = !(e.hints & HintFolder);
    return KindRank(e.kind) * 4 + (root ? 0 : 2) + (file ? 1 : 0);
}

} // namespace

int CompareElements(const ItemIdList::ElementView& x, const ItemIdList::ElementView& y)
{
    const int rx = Rank(x), ry = Rank(y);
    if (rx != ry)
        return rx < ry ? -1 : 1;
    return Sign(NaturalCompare(x.name, y.name));
}

ElementOrderKey::ElementOrderKey(const ItemIdList::ElementView& element)
    : rank_(Rank(element)), collation_(NaturalSortKey(element.name)), name_(element.name)
{
}

int ElementOrderKey::Compare(const ElementOrderKey& other) const
{
    if (rank_ != other.rank_)
        return rank_ < other.rank_ ? -1 : 1;
    const int c = collation_.compare(other.collation_);
    return c != 0 ? Sign(c) : ByteOrder(name_, other.name_);
}

} // namespace orbisk
