#pragma once

#include <string>

namespace orbisk {

// Questions about folders by path, and the making of a chain of folders.

// Whether path names a folder (a link to a folder counts).
bool IsDirectory(const std::string& path);

// Whether path is a folder the process may enter.
bool CanEnterFolder(const std::string& path);

// The process's current folder; "/" when it cannot be had (it was deleted, or
// its path is too long).
std::string CurrentFolderPath();

// Creates path and every missing folder above it. The walk up stops at "/" or
// at the first folder that exists, so a folder right below the root is made
// like any other. Returns whether path is a folder afterwards; a part the file
// system refuses ends the work there.
bool CreateFolderPath(const std::string& path);

} // namespace orbisk
