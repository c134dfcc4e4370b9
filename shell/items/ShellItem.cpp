#include "shell/items/ShellItem.h"

#include "platform/namespace/ShellFileInfo.h"
#include "shell/items/ShellController.h"

namespace orbisk {

namespace {

// The parent of an absolute list, bound from the desktop; the desktop itself
// when the list has no parent to bind.
std::shared_ptr<ShellFolder> BindParent(const ItemIdList& absolute)
{
    const auto desktop = SHGetDesktopFolder();
    auto parent = desktop->BindToObject(absolute.WithoutLast());
    return parent ? parent : desktop;
}

} // namespace

TStShellItem::TStShellItem() = default;

TStShellItem::TStShellItem(const ItemIdList& absolute, const TStCustomShellController* controller)
    : parentFolder_(BindParent(absolute)), absoluteIdList_(absolute), relativeIdList_(absolute.Last()),
      hasIdList_(true)
{
    displayName_ = parentFolder_->GetDisplayNameOf(relativeIdList_, NameForm::Normal);
    FetchFileInfo(controller, true);
    const uint32_t a = parentFolder_->GetAttributesOf(relativeIdList_, AttrFileSystem | AttrFolder);
    isFileSystem_ = (a & AttrFileSystem) != 0;
    isFileSystemFolder_ = isFileSystem_ && (a & AttrFolder);
    // The file flag follows from the same two bits; an item made from its ID
    // list (a root, a list's folder, a changed item) is described as fully as
    // an enumerated one.
    isFileSystemFile_ = isFileSystem_ && !(a & AttrFolder);
    isDesktop_ = absolute.IsEmpty();
}

TStShellItem::TStShellItem(const TStShellItem& other)
{
    Assign(other);
}

TStShellItem& TStShellItem::operator=(const TStShellItem& other)
{
    if (this != &other)
        Assign(other);
    return *this;
}

TStShellItem::~TStShellItem() = default;

void TStShellItem::Assign(const TStShellItem& other)
{
    details_ = other.details_;
    modified_ = other.modified_;
    size_ = other.size_;
    detailFlags_ = other.detailFlags_;
    imageIndex_ = other.imageIndex_;
    openImageIndex_ = other.openImageIndex_;
    overlayIndex_ = other.overlayIndex_;
    displayName_ = other.displayName_;
    absoluteIdList_ = other.absoluteIdList_;
    relativeIdList_ = other.relativeIdList_;
    hasIdList_ = other.hasIdList_;
    isDesktop_ = other.isDesktop_;
    isFileSystemFile_ = other.isFileSystemFile_;
    isFileSystemFolder_ = other.isFileSystemFolder_;
    isFileSystem_ = other.isFileSystem_;
    parentFolder_ = hasIdList_ ? BindParent(absoluteIdList_) : nullptr;
}

QString TStShellItem::Path() const
{
    if (!hasIdList_)
        return {};
    // Asked of the parent only when it is the item's real parent (a parent
    // that could not be bound is the desktop, which would misname the item).
    if (parentFolder_ && parentFolder_->IdList().Count() + 1 == absoluteIdList_.Count())
        return parentFolder_->GetDisplayNameOf(relativeIdList_, NameForm::ForParsing);
    return ParsingNameOf(absoluteIdList_);
}

std::string TStShellItem::NativePath() const
{
    if (!hasIdList_)
        return {};
    if (parentFolder_ && parentFolder_->IdList().Count() + 1 == absoluteIdList_.Count())
        return parentFolder_->NativePathOf(relativeIdList_).value_or(std::string());
    return NativePathOf(absoluteIdList_).value_or(std::string());
}

bool TStShellItem::Attribute(uint32_t bit) const
{
    return parentFolder_ && (parentFolder_->GetAttributesOf(relativeIdList_, bit) & bit) != 0;
}

bool TStShellItem::IsFolder() const
{
    return Attribute(AttrFolder);
}

bool TStShellItem::IsShared() const
{
    return Attribute(AttrShare);
}

bool TStShellItem::IsHidden() const
{
    return !isDesktop_ && Attribute(AttrHidden);
}

bool TStShellItem::IsCompressed() const
{
    return !isDesktop_ && Attribute(AttrCompressed);
}

bool TStShellItem::IsLink() const
{
    return !isDesktop_ && Attribute(AttrLink);
}

bool TStShellItem::CanRename() const
{
    return !isDesktop_ && Attribute(AttrCanRename);
}

void TStShellItem::FetchFileInfo(const TStCustomShellController* controller, bool withDisplayName)
{
    if (!parentFolder_)
        return;
    const uint32_t flags = InfoAttributes | InfoSysIconIndex | (withDisplayName ? InfoDisplayName : 0u);
    const ShellFileInfo info = GetShellFileInfo(*parentFolder_, relativeIdList_, flags);
    imageIndex_ = info.iconIndex;
    if (controller && info.iconIndex == 2 && controller->SubstituteIconIndex() != -1)
        imageIndex_ = controller->SubstituteIconIndex();
    overlayIndex_ = (info.attributes & AttrShare) ? 0 : (info.attributes & AttrLink) ? 1 : -1;
    openImageIndex_ = imageIndex_;
    if (info.attributes & AttrFolder)
        openImageIndex_ = GetShellFileInfo(*parentFolder_, relativeIdList_, InfoSysIconIndex | InfoOpenIcon).iconIndex;
    if (withDisplayName) {
        displayName_ = info.displayName;
        // Only a name that holds " on " can be cut: the path is not worked
        // out for every other item.
        if (displayName_.contains(QLatin1String(" on ")))
            displayName_ = CutNetworkName(Path(), displayName_);
    }
}

void TStShellItem::SetEnumerated(const std::shared_ptr<ShellFolder>& folder, const ItemIdList& relative,
                                 uint32_t attributes)
{
    parentFolder_ = folder;
    // An item too deep to be named has no list (enumerations list none).
    auto absolute = ItemIdList::Combine(folder->IdList(), relative);
    hasIdList_ = absolute.ok();
    absoluteIdList_ = hasIdList_ ? std::move(*absolute) : ItemIdList();
    relativeIdList_ = relative;
    isFileSystem_ = (attributes & AttrFileSystem) != 0;
    isFileSystemFolder_ = isFileSystem_ && (attributes & AttrFolder);
    isFileSystemFile_ = isFileSystem_ && !(attributes & AttrFolder);
    isDesktop_ = false;
}

QString TStShellItem::CutNetworkName(const QString& path, const QString& displayName)
{
    if (!path.startsWith(QLatin1String("//")))
        return displayName;
    const qsizetype on = displayName.indexOf(QLatin1String(" on "));
    return on < 0 ? displayName : displayName.left(on);
}

} // namespace orbisk
