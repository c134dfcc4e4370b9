#pragma once

#include <string>
#include <string_view>

namespace orbisk {

// The extension filter FileExt: "*" takes every file; otherwise upper-case
// extensions, each with its dot and a trailing comma (".ICO,.CUR,.EXE,.DLL,.ICL,"),
// or empty.
inline constexpr std::string_view DefaultFileExt = ".ICO,.CUR,.EXE,.DLL,.ICL,";

// The extension of a file name as the filter sees it: from its last "." to the
// end, dot included (a dot name such as ".hidden" is all extension);
// empty when there is no dot.
std::string_view FilterExtension(std::string_view name);

// The extension upper-cased as the user's language does it (so ".ico" and
// ".Ico" both become ".ICO"). Bytes that are not valid UTF-8 are kept as they
// are, with only their ASCII letters upper-cased.
std::string UpperExtension(std::string_view extension);

// True when the walk records a file of this name under fileExt. The test is a
// plain substring search of the upper-cased extension in fileExt, so a prefix
// of a listed extension (".IC", ".I", a bare ".") passes, a name without an
// extension passes every filter, and a lower-case fileExt matches no extension.
bool PassesFilter(std::string_view name, std::string_view fileExt);

} // namespace orbisk
