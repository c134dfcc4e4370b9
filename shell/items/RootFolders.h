#pragma once

#include "platform/namespace/ItemIdList.h"
#include "platform/namespace/FolderRoles.h"

#include <QString>

#include <optional>

namespace orbisk {

// The shell's special folders; each value is the platform's identifier of
// the same role.
enum TStSpecialRootFolder : int {
    sfNone = -1,
    sfDesktop = CsidlDesktop,
    sfInternet = CsidlInternet,
    sfPrograms = CsidlPrograms,
    sfControls = CsidlControls,
    sfPrinters = CsidlPrinters,
    sfPersonal = CsidlPersonal,
    sfFavorites = CsidlFavorites,
    sfStartup = CsidlStartup,
    sfRecentFiles = CsidlRecent,
    sfSendTo = CsidlSendTo,
    sfBitBucket = CsidlBitBucket,
    sfStartMenu = CsidlStartMenu,
    sfDesktopDir = CsidlDesktopDirectory,
    sfDrives = CsidlDrives,
    sfNetwork = CsidlNetwork,
    sfNetHood = CsidlNetHood,
    sfFonts = CsidlFonts,
    sfTemplates = CsidlTemplates,
    sfCommonStartMenu = CsidlCommonStartMenu,
    sfCommonPrograms = CsidlCommonPrograms,
    sfCommonStartup = CsidlCommonStartup,
    sfCommonDesktopDir = CsidlCommonDesktopDirectory,
    sfAppData = CsidlAppData,
    sfPrintHood = CsidlPrintHood,
    sfAltStartup = CsidlAltStartup,
    sfCommonAltStartup = CsidlCommonAltStartup,
    sfCommonFavorites = CsidlCommonFavorites,
    sfInternetCache = CsidlInternetCache,
    sfCookies = CsidlCookies,
    sfHistory = CsidlHistory,
};

// Raises EStShellError when the folder needs a newer shell than this one
// (the roles 1 and 29 to 34 need 4.71).
void CheckShellVersion(TStSpecialRootFolder folder);

// The item-ID list of a special folder; none for sfNone and for a role that
// has no folder here.
std::optional<ItemIdList> SpecialRootFolderIdList(TStSpecialRootFolder folder);

// A path parsed through the desktop folder; EStInvalidFolder when the shell
// cannot parse it.
ItemIdList ParseFolderPath(const QString& path);

} // namespace orbisk
