#include "shell/items/ShellItemList.h"

namespace orbisk {

TStShellItemList::~TStShellItemList() = default;

int TStShellItemList::Add(std::unique_ptr<TStShellItem> item)
{
    if (item)
        item->ownerList_ = this;
    items_.push_back(std::move(item));
    return int(items_.size()) - 1;
}

TStShellItem* TStShellItemList::Items(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return items_[std::size_t(index)].get();
}

void TStShellItemList::Clear()
{
    items_.clear();
}

void TStShellItemList::Free(int index)
{
    if (index >= 0 && index < Count())
        items_[std::size_t(index)].reset();
}

std::unique_ptr<TStShellItem> TStShellItemList::Extract(int index)
{
    if (index < 0 || index >= Count())
        return nullptr;
    std::unique_ptr<TStShellItem> item = std::move(items_[std::size_t(index)]);
    if (item)
        item->ownerList_ = nullptr;
    return item;
}

} // namespace orbisk
