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

// What a file list learnt about an item when it worked out its details: how
// the item was found and its file attributes. The texts of the report
// columns are made from these when a row is first shown.
enum TStDetailFlag : uint8_t {
    dfKnown = 1u << 0,      // the details have been worked out
    dfFindData = 1u << 1,   // described by its folder (not only by its path)
    dfMissing = 1u << 2,    // the file system does not know the item
    dfDirectory = 1u << 3,  // a directory (a link to one counts)
    dfHidden = 1u << 4,
    dfReadOnly = 1u << 5,   // not writable
    dfCompressed = 1u << 6, // kept compressed by the file system
};

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

    // The texts of the report columns after the first, made when the row is
    // first shown in report view; empty until then.
    const QStringList& Details() const { return details_; }
    QStringList& Details() { return details_; }
    // Last-write time in seconds since 1970-01-01 UTC: any date the file
    // system holds, before 1980 and after 2107 included.
    int64_t Modified() const { return modified_; }
    void SetModified(int64_t secsSinceEpoch) { modified_ = secsSinceEpoch; }
    // Size in bytes, all 64 bits of it; -1 for folders.
    int64_t Size() const { return size_; }
    void SetSize(int64_t value) { size_ = value; }
    // TStDetailFlag bits; 0 until the details have been worked out.
    uint8_t DetailFlags() const { return detailFlags_; }
    void SetDetailFlags(uint8_t flags) { detailFlags_ = flags; }
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
    int64_t modified_ = 0;
    int64_t size_ = 0;
    int32_t imageIndex_ = -1;
    int32_t openImageIndex_ = -1;
    int32_t overlayIndex_ = -1;
    QString displayName_;
    std::shared_ptr<ShellFolder> parentFolder_;
    ItemIdList absoluteIdList_;
    ItemIdList relativeIdList_;
    TStShellItemList* ownerList_ = nullptr;
    uint8_t detailFlags_ = 0;
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
