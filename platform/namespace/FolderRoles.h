#pragma once

#include "platform/namespace/ItemIdList.h"

#include <optional>
#include <string>

namespace orbisk {

// The platform's special-folder identifiers (CSIDL values).
enum SpecialFolderId : int {
    CsidlDesktop = 0,
    CsidlInternet = 1,
    CsidlPrograms = 2,
    CsidlControls = 3,
    CsidlPrinters = 4,
    CsidlPersonal = 5,
    CsidlFavorites = 6,
    CsidlStartup = 7,
    CsidlRecent = 8,
    CsidlSendTo = 9,
    CsidlBitBucket = 10,
    CsidlStartMenu = 11,
    CsidlDesktopDirectory = 16,
    CsidlDrives = 17,
    CsidlNetwork = 18,
    CsidlNetHood = 19,
    CsidlFonts = 20,
    CsidlTemplates = 21,
    CsidlCommonStartMenu = 22,
    CsidlCommonPrograms = 23,
    CsidlCommonStartup = 24,
    CsidlCommonDesktopDirectory = 25,
    CsidlAppData = 26,
    CsidlPrintHood = 27,
    CsidlAltStartup = 29,
    CsidlCommonAltStartup = 30,
    CsidlCommonFavorites = 31,
    CsidlInternetCache = 32,
    CsidlCookies = 33,
    CsidlHistory = 34,
};

// The folder of a special role on this desktop (XDG and freedesktop places):
// the desktop, Computer, documents, desktop folder, trash, data, fonts,
// templates, applications, autostart and cache. None for a role this desktop
// has no folder for, and for one whose folder does not exist.
std::optional<std::string> SpecialFolderPath(int csidl);
std::optional<ItemIdList> SHGetSpecialFolderLocation(int csidl);

// The shell library's version as major * 100 + minor. The namespace built
// here offers every role the controls know, so it reports a version that
// passes every check.
int ShellVersion();

} // namespace orbisk
