#pragma once

#include "platform/namespace/ItemIdList.h"
#include "shell/items/RootFolders.h"

#include <QString>

#include <optional>

namespace orbisk {

// A folder a shell control is told either by its path or as a special
// folder (its root, the folder it starts in, the folder it watches). Naming
// it one way forgets the other, so at most one of the two is set.
class FolderChoice {
public:
    explicit FolderChoice(TStSpecialRootFolder special = sfNone)
        : special_(special)
    {
    }

    const QString& Path() const { return path_; }
    TStSpecialRootFolder Special() const { return special_; }
    // Neither a path nor a special folder.
    bool IsEmpty() const { return path_.isEmpty() && special_ == sfNone; }

    // An empty path leaves the special folder as it is.
    void SetPath(const QString& path);
    // Raises EStShellError for a role this shell is too old for (see
    // CheckShellVersion). False when folder is the one set already;
    // sfNone leaves the path as it is.
    bool SetSpecial(TStSpecialRootFolder folder);

    // The folder's item-ID list: the path parsed through the desktop folder,
    // or the special folder's. None when neither is set or the role has no
    // folder here; EStInvalidFolder when the shell cannot parse the path.
    std::optional<ItemIdList> IdList() const;

private:
    QString path_;
    TStSpecialRootFolder special_;
};

} // namespace orbisk
