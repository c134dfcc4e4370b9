#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace orbisk {

// Replaces the contents of the file at path with bytes, all at once: the new
// contents go to a temporary file in the same folder, are flushed to the disk
// and then renamed over the old file, so that a crash, a full disk or a reader
// at the wrong moment sees either the old file or the new one, never a torn
// one. A symbolic link is followed and the file it points to replaced; an
// existing file keeps its permission bits. On failure the old file is left as
// it was, no temporary file remains, and the error is returned.
std::error_code ReplaceFileContents(const std::string& path, std::string_view bytes);

} // namespace orbisk
