#include "shell/items/ShellController.h"

namespace orbisk {

TStCustomShellController::TStCustomShellController() : desktop_(SHGetDesktopFolder()) {}

std::shared_ptr<ShellFolder> TStCustomShellController::BindFolder(const ItemIdList& folder) const
{
    if (folder.IsEmpty())
        return desktop_;
    if (const auto parent = desktop_->BindToObject(folder.WithoutLast()))
        return parent->BindToObject(folder.Last());
    if (auto direct = desktop_->BindToObject(folder))
        return direct;
    return desktop_;
}

std::unique_ptr<TStShellItem> TStCustomShellController::MakeItem(const std::shared_ptr<ShellFolder>& folder,
                                                                 const ItemIdList& id, uint32_t attributes,
                                                                 TStShellConsumer& consumer) const
{
    const bool tree = consumer.ConsumerKind() == TStConsumerKind::Tree;
    std::unique_ptr<TStShellItem> item = tree ? std::make_unique<TStShellFolder>() : std::make_unique<TStShellItem>();
    item->SetEnumerated(folder, id, attributes);
    if (!tree && consumer.Optimization() == otDisplay) {
        item->FetchFileInfo(this, true);
    } else {
        const QString name = folder->GetDisplayNameOf(id, NameForm::Normal);
        item->SetDisplayName(name.contains(QLatin1String(" on ")) ? TStShellItem::CutNetworkName(item->Path(), name)
                                                                  : name);
    }
    return item;
}

int TStCustomShellController::EnumerateFolder(const ItemIdList& list, TStShellConsumer& consumer) const
{
    const std::shared_ptr<ShellFolder> folder = BindFolder(list);
    if (!folder)
        return 0;
    const bool tree = consumer.ConsumerKind() == TStConsumerKind::Tree;
    uint32_t flags = EnumFolders;
    if (!tree || consumer.ShowFiles())
        flags |= EnumNonFolders;
    if (consumer.ShowHidden())
        flags |= EnumIncludeHidden;
    const uint32_t asked = AttrFileSystem | AttrFolder | AttrShare | (tree ? AttrHasSubFolder : 0u);

    bool busy = !tree && !folder->IsFileSystem();
    if (busy)
        consumer.SetBusyAnimation(true);
    int accepted = 0;
    const std::unique_ptr<FolderEnumerator> items = folder->EnumObjects(flags);
    while (items) {
        const std::optional<ItemIdList> id = items->Next();
        if (!id)
            break;
        if (busy) {
            consumer.SetBusyAnimation(false);
            busy = false;
        }
        const uint32_t attributes = folder->GetAttributesOf(*id, asked);
        std::unique_ptr<TStShellItem> item = MakeItem(folder, *id, attributes, consumer);
        bool accept = true;
        if (consumer.Filtered() && consumer.OnFilterItem)
            consumer.OnFilterItem(consumer.SenderObject(), item.get(), accept);
        if (accept) {
            consumer.AddItem(std::move(item), parentNode_, attributes);
            ++accepted;
        }
    }
    if (busy)
        consumer.SetBusyAnimation(false);
    return accepted;
}

int TStCustomShellController::EnumerateFolder(const TStShellItem& folder, TStShellConsumer& consumer) const
{
    if (!folder.HasIdList())
        return 0;
    return EnumerateFolder(folder.AbsoluteIdList(), consumer);
}

bool TStCustomShellController::HasFolderEnumerator(const TStShellItem& item, uint32_t flags, bool needItem) const
{
    if (!item.HasIdList())
        return false;
    const std::shared_ptr<ShellFolder> folder = BindFolder(item.AbsoluteIdList());
    if (!folder)
        return false;
    const auto items = folder->EnumObjects(flags);
    return items && (!needItem || items->Next().has_value());
}

} // namespace orbisk
