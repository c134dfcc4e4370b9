#pragma once

#include <optional>
#include <string>

namespace orbisk::tool {

// The local path a file manager names the input by: a path as it stands
// (%i), or a file URI (%u), "file:///dir/name" or "file://localhost/...",
// whose %XX escapes are turned back into the name's exact bytes. Nothing
// for a URI of another scheme or host, or one that is not well formed (an
// escape that is not two hex digits, an escaped NUL or a relative path).
std::optional<std::string> InputPath(const std::string& input);

} // namespace orbisk::tool
