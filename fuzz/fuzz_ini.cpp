// Fuzzes the settings file's reader and writer on its text. The input holds
// a section, a key and a value (their lengths in its first three bytes),
// then the file's text. Reading never fails; a key that can be stored is
// found again with the value written, and writing it again changes nothing.

#include "platform/settings/PrivateProfile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

bool HasSurroundingBlanks(std::string_view s) { return !s.empty() && (Blank(s.front()) || Blank(s.back())); }

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && Blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && Blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Takes the next `length` bytes of the input, or what is left.
std::string_view Take(std::string_view& input, std::size_t length)
{
    const std::string_view part = input.substr(0, length);
    input.remove_prefix(part.size());
    return part;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    std::string_view input(reinterpret_cast<const char*>(data) + 3, size - 3);
    const std::string_view section = Take(input, data[0] % 17), key = Take(input, data[1] % 17);
    const std::string_view value = Take(input, data[2] % 33), text = input;

    if (auto found = orbisk::FindProfileValue(text, section, key)) {
        if (found->find('\n') != std::string::npos || HasSurroundingBlanks(*found))
            std::abort();
    }
    // Names are matched as written; blanks around them are the caller's.
    if (!orbisk::IsStorableProfileEntry(section, key, value) || HasSurroundingBlanks(section)
        || HasSurroundingBlanks(key))
        return 0;
    const std::string written = orbisk::SetProfileValue(text, section, key, value);
    if (orbisk::FindProfileValue(written, section, key) != std::string(Trimmed(value)))
        std::abort();
    if (orbisk::SetProfileValue(written, section, key, value) != written)
        std::abort();
    return 0;
}
