#include "platform/files/UserFolders.h"

#include "platform/files/NativePath.h"

#include <QFile>
#include <QStandardPaths>

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace orbisk {

std::string HomeFolderPath()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

std::string ConfigFolderPath()
{
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        return xdg;
    return JoinPath(HomeFolderPath(), ".config");
}

std::string CacheFolderPath()
{
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && xdg[0] == '/')
        return xdg;
    return JoinPath(HomeFolderPath(), ".cache");
}

std::string DesktopFolderPath()
{
    return QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)).toStdString();
}

} // namespace orbisk
