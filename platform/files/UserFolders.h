#pragma once

#include <string>

namespace orbisk {

// The user's own folders on this machine, as native paths. Read anew on every
// call: they follow HOME and the XDG user-dirs file.

// $HOME, else the password database's home folder, else "/".
std::string HomeFolderPath();

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute
// path (a relative one is ignored, as the XDG rules ask), otherwise .config
// in the home folder. The settings file and the folder roles both live by it.
std::string ConfigFolderPath();

// The user's cache folder: $XDG_CACHE_HOME when it is an absolute path,
// otherwise .cache in the home folder.
std::string CacheFolderPath();

// The XDG desktop folder (~/Desktop unless the user-dirs file says otherwise).
std::string DesktopFolderPath();

} // namespace orbisk
