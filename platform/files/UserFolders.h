#pragma once

#include <string>

namespace orbisk {

// The user's own folders on this machine, as native paths. Read anew on every
// call: they follow HOME and the XDG user-dirs file.

// $HOME, else the password database's home folder, else "/".
std::string HomeFolderPath();

// The XDG desktop folder (~/Desktop unless the user-dirs file says otherwise).
std::string DesktopFolderPath();

} // namespace orbisk
