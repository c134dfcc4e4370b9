#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orbisk {

// Paths in the scan lists are native byte strings with "/" as the separator.
// The root "/" stays "/" (it plays the part of a drive root), and joining never
// doubles the separator.

// folder + "/" + name; "/" + "a.ico" gives "/a.ico", and an empty folder (the
// current folder) gives the bare name.
std::string JoinPath(std::string_view folder, std::string_view name);

// The path without trailing separators, except that a path made only of
// separators becomes "/".
std::string TrimTrailingSeparators(std::string_view path);

// A file path split into its folder (without a trailing separator, "/" for a
// file in the root, empty for a bare name) and its name.
struct SplitPath {
    std::string folder;
    std::string name;
};
SplitPath SplitFilePath(std::string_view path);

// Paths longer than this (in bytes) are not worked on: the kernel would refuse
// them anyway, and a shortened path would name another file.
inline constexpr std::size_t MaxPathBytes = 4096;

// Lexical clean-up of an absolute path: no empty or "." components, ".." takes
// the previous component away (never above `/`), no trailing separator. None
// for a relative or over-long path.
std::optional<std::string> NormalizePath(std::string_view path);

} // namespace orbisk
