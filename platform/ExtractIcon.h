#pragma once

#include "platform/IconHandle.h"

#include <string>

namespace orbisk {

// Icon n (counted from 0) of the file at path, a native byte string, at the
// large-icon size; nullptr when the file has no icon n. The caller owns the
// handle. Safe to call from any thread.
HICON ExtractIcon(const std::string& path, int n);

} // namespace orbisk
