#pragma once

#include <string>
#include <string_view>

namespace orbisk {

// The folder the folder tree opens on, given the one saved at the last close:
// that folder when it is still an absolute path to a folder the user may
// open, otherwise the root "/" (a saved file, FIFO, unreadable or vanished
// folder, or nothing saved).
std::string StartFolderFor(std::string_view saved);

} // namespace orbisk
