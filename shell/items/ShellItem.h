#pragma once

#include "platform/namespace/ItemIdList.h"
#include "platform/namespace/ShellFolder.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>

namespace orbisk {

class TStCustomShellController;
class TStShellItemList;

// One item of the shell namespace, as the tree and the list show it: its
// identity (item-ID lists), names, icon indexes and attributes. Kept lean, so
// that a folder of many thousands of files costs little: the path is worked
// out from the ID list when asked for, the ID list shares its folder's part,
// icons are indexes into the shared system image lists, and the parent folder
// object is shared by all items of one folder.
class TStShellItem {
public:
    // An empty item: no ID list, ImageIndex -1.
    TStShellItem();
    // An item made from its absolute ID list: parent bound from the list,
    // names and icons from the file-info query, file-system attributes.
    // `controller` supplies the substitute icon, when there is one.
    explicit TStShellItem(const ItemIdList& absolute, const TStCustomShellController* controller = nullptr);
    // Copies every field (the parent folder is bound again); the copy belongs
    // to no list.
    TStShellItem(const TStShellItem& other);
    TStShellItem& operator=(const TStShellItem& other);
    virtual ~TStShellItem();
    void Assign(const TStShellItem& other);

    const QStringList& Details() const { return details_; }
    QStringList& Details() { return details_; }
    double Modified() const { return modified_; }
    void SetModified(double value) { modified_ = value; }
    int32_t Size() const { return size_; }
    void SetSize(int32_t value) { size_ = value; }
    const QString& DisplayName() const { return displayName_; }
    void SetDisplayName(const QString& value) { displayName_ = value; }
    int32_t ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int32_t value) { imageIndex_ = value; }
    int32_t OpenImageIndex() const { return openImageIndex_; }
    void SetOpenImageIndex(int32_t value) { openImageIndex_ = value; }
    int32_t OverlayIndex() const { return overlayIndex_; }
    void SetOverlayIndex(int32_t value) { overlayIndex_ = value; }
    bool IsDesktop() const { return isDesktop_; }
    bool IsFileSystemFile() const { return isFileSystemFile_; }
    bool IsFileSystemFolder() const { return isFileSystemFolder_; }
    void SetIsFileSystemFolder(bool value) { isFileSystemFolder_ = value; }
    bool IsFileSystem() const { return isFileSystem_; }

    // The folder that holds the item (the desktop folder when there is none
    // to bind); null only for an empty item.
    const std::shared_ptr<ShellFolder>& ParentFolder() const { return parentFolder_; }
    // The parsing name: the full path of a file-system item, shown with
    // replacement characters where the name is not valid UTF-8. Empty for an
    // empty item.
    QString Path() const;
    // The full path as native bytes, for opening and scanning; empty outside
    // the file system.
    std::string NativePath() const;
    bool HasIdList() const { return hasIdList_; }
    const ItemIdList& AbsoluteIdList() const { return absoluteIdList_; }
    const ItemIdList& RelativeIdList() const { return relativeIdList_; }
    TStShellItemList* OwnerList() const { return ownerList_; }

    // Attribute queries, asked of the parent folder on every call.
    bool IsFolder() const;
    bool IsHidden() const;
    bool IsCompressed() const;
    bool IsLink() const;
    bool IsShared() const;
    bool CanRename() const;

    // The file-info query for the item: icon index (or the controller's
    // substitute for index 2), overlay, open-folder icon and, when
    // `withDisplayName`, the display name (with the network-name rule).
    void FetchFileInfo(const TStCustomShellController* controller, bool withDisplayName);

    // Fills the item for an enumeration of `folder`: identity from the folder
    // and the relative list, file-system flags from `attributes`.
    void SetEnumerated(const std::shared_ptr<ShellFolder>& folder, const ItemIdList& relative, uint32_t attributes);

    // A shell display name of the form "share on server" for an item whose
    // path begins with "//" is shown as the share alone.
    static QString CutNetworkName(const QString& path, const QString& displayName);

private:
    friend class TStShellItemList;
    bool Attribute(uint32_t bit) const;

    QStringList details_;
    double modified_ = 0;
    int32_t size_ = 0;
    int32_t imageIndex_ = -1;
    int32_t openImageIndex_ = -1;
    int32_t overlayIndex_ = -1;
    QString displayName_;
    std::shared_ptr<ShellFolder> parentFolder_;
    ItemIdList absoluteIdList_;
    ItemIdList relativeIdList_;
    TStShellItemList* ownerList_ = nullptr;
    bool isDesktop_ : 1 = false;
    bool isFileSystemFile_ : 1 = false;
    bool isFileSystemFolder_ : 1 = false;
    bool isFileSystem_ : 1 = false;
    bool hasIdList_ : 1 = false;
};

// The item of a folder node of the tree, and the folder a list shows.
class TStShellFolder : public TStShellItem {
public:
    using TStShellItem::TStShellItem;
};

} // namespace orbisk
