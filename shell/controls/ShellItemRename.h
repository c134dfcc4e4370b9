#pragma once

#include "platform/base/Result.h"

#include <QString>

#include <string>

namespace orbisk {

// Renames a file-system item in place, as a tree node or a list row edited by
// the user: the new name must be one plain name (not empty, not "." or "..",
// no "/" and no NUL), and an existing item of that name is never replaced.
// Returns the item's new native path.
Result<std::string> RenameInPlace(const std::string& nativePath, const QString& newName);

} // namespace orbisk
