#include "platform/namespace/FolderRoles.h"

#include "platform/files/NativePath.h"
#include "platform/files/UserFolders.h"
#include "platform/namespace/ItemNames.h"
#include "platform/namespace/NamespaceRole.h"
#include "platform/namespace/PathParsing.h"

#include <QFile>
#include <QStandardPaths>

#include <fstream>

namespace orbisk {

namespace {

std::string Standard(QStandardPaths::StandardLocation location)
{
    return QFile::encodeName(QStandardPaths::writableLocation(location)).toStdString();
}

// XDG_TEMPLATES_DIR from user-dirs.dirs, which QStandardPaths does not read:
// a line such as XDG_TEMPLATES_DIR="$HOME/Templates".
std::optional<std::string> TemplatesFolder()
{
    std::ifstream in(JoinPath(ConfigFolderPath(), "user-dirs.dirs"));
    std::string line;
    const std::string key = "XDG_TEMPLATES_DIR=\"";
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) != 0 || line.size() < key.size() + 1 || line.back() != '"')
            continue;
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.rfind("$HOME", 0) == 0)
            value = HomeFolderPath() + value.substr(5);
        // A templates folder that is the home folder itself means "none".
        if (value.empty() || value[0] != '/' || NormalizePath(value) == NormalizePath(HomeFolderPath()))
            return std::nullopt;
        return value;
    }
    return JoinPath(HomeFolderPath(), "Templates");
}

} // namespace

std::optional<std::string> SpecialFolderPath(int csidl)
{
    switch (csidl) {
    case CsidlPersonal:
        return Standard(QStandardPaths::DocumentsLocation);
    case CsidlDesktopDirectory:
        return DesktopFolderPath();
    case CsidlBitBucket:
        return JoinPath(Standard(QStandardPaths::GenericDataLocation), "Trash/files");
    case CsidlAppData:
        return Standard(QStandardPaths::GenericDataLocation);
    case CsidlFonts:
        return Standard(QStandardPaths::FontsLocation);
    case CsidlTemplates:
        return TemplatesFolder();
    case CsidlPrograms:
    case CsidlStartMenu:
        return Standard(QStandardPaths::ApplicationsLocation);
    case CsidlCommonPrograms:
    case CsidlCommonStartMenu:
        return std::string("/usr/share/applications");
    case CsidlStartup:
    case CsidlAltStartup:
        return JoinPath(ConfigFolderPath(), "autostart");
    case CsidlCommonStartup:
    case CsidlCommonAltStartup:
        return std::string("/etc/xdg/autostart");
    case CsidlInternetCache:
        return Standard(QStandardPaths::GenericCacheLocation);
    default:
        break;
    }
    return std::nullopt;
}

std::optional<ItemIdList> SHGetSpecialFolderLocation(int csidl)
{
    if (csidl == CsidlDesktop)
        return ItemIdList();
    if (csidl == CsidlDrives)
        return ComputerIdList();
    const std::optional<std::string> path = SpecialFolderPath(csidl);
    if (!path || path->empty())
        return std::nullopt;
    return ParseNativePath(*path);
}

int ShellVersion()
{
    return 600;
}

} // namespace orbisk
