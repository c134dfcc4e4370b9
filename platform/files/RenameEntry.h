#pragma once

#include "platform/base/Result.h"

#include <string>
#include <string_view>

namespace orbisk {

// Gives the file or folder at `path` a new name in the same folder. Never
// replaces an entry that already has that name; refuses an empty name, "."
// and "..", and names holding "/" or NUL (they would name another folder).
Result<Ok> RenameEntry(const std::string& path, std::string_view newName);

} // namespace orbisk
