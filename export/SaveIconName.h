#pragma once

#include <string>
#include <string_view>

namespace orbisk {

// The names of the Save icon command. A name has an extension when its last
// part (after the last "/") holds a "."; the extension runs from that "." to
// the end, so "my.icons" has one and "x" has none.
bool HasExtension(std::string_view name);

// The name the save dialog proposes for icon iconIndex of the file fileName:
// the file's name without its folder and extension, then "-" and the icon's
// number when it is not 0. shell32.dll gives "shell32" for icon 0 and
// "shell32-3" for icon 3, my.tool.exe "my.tool-1" for icon 1, README
// "README-2" for icon 2.
std::string ProposedIconFileName(std::string_view fileName, int iconIndex);

} // namespace orbisk
