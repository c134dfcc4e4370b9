#pragma once

#include "platform/base/Exception.h"

#include <string>

class QWidget;

namespace orbisk {

// How the folder browser may end.
struct SelectDirOptions {
    // The user may type the name of a folder that does not exist.
    bool AllowCreate = false;
    // A chosen folder that does not exist is created, with every missing
    // folder above it.
    bool PerformCreate = false;
    // OK asks before it chooses a folder that does not exist.
    bool Prompt = false;
};

// A folder that had to be created has no name.
class EInOutError : public Exception {
public:
    using Exception::Exception;
};

// Shows the folder browser, modal, opened at directory (relative to the
// process's current folder; the current folder itself when empty or when it
// cannot be entered). On OK, directory becomes the full path chosen and the
// result is true; otherwise directory is left as it was and the result is
// false. A folder that cannot be created is not reported here: the caller
// finds out when it writes there. An empty name with PerformCreate throws
// EInOutError "Unable to create directory". helpContext 0 hides the Help
// button. The process's current folder never changes.
bool SelectDirectory(std::string& directory, SelectDirOptions options, int helpContext, QWidget* parent = nullptr);

} // namespace orbisk
