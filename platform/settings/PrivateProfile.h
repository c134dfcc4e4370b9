#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orbisk {

// Private-profile files: the sectioned key=value text files in which the
// program keeps its settings. Section and key names match without regard to
// (ASCII) case; the first section and the first key of a name count. Lines
// the program does not know (other sections, other keys, comments, blank
// lines) are never changed.

// A value is returned with at most this many bytes.
constexpr std::size_t MaxProfileValueLength = 2047;
// A longer file is not a settings file: it is neither read nor rewritten.
constexpr std::size_t MaxProfileFileSize = 4 * 1024 * 1024;

// The value of key in section of the file, with surrounding blanks removed;
// defaultValue when the file, the section or the key is missing or the file
// cannot be read.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& fileName);

// Sets key in section to value: the key's line is rewritten in place, or
// added at the end of its section, creating the section and then the file as
// needed. The file is replaced atomically, or not at all when its contents
// stay the same; a link is written through to its target. Returns false,
// leaving the file as it was, when the file cannot be read or written (it is
// write-protected, or its folder takes no new file), or when a name or the
// value cannot be stored on one line.
bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::string& fileName);

// One value to store.
struct ProfileEntry {
    std::string section;
    std::string key;
    std::string value;
};

// Sets every entry in turn, as WritePrivateProfileString does, with one read
// of the file and one replacement. All or none: returns false, leaving the
// file as it was, when one entry cannot be stored or the file cannot be read
// or written.
bool WritePrivateProfileStrings(std::span<const ProfileEntry> entries, const std::string& fileName);

// The whole text of a settings file; nullopt when it is missing, cannot be
// read, or is not a regular file of at most MaxProfileFileSize bytes.
std::optional<std::string> ReadProfileText(const std::string& fileName);

// The same two operations on a file's contents.
std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);
std::string SetProfileValue(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view value);

// Whether section, key and value can be written without changing the
// meaning of other lines.
bool IsStorableProfileEntry(std::string_view section, std::string_view key, std::string_view value);

} // namespace orbisk
