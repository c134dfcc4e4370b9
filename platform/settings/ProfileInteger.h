#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orbisk {

// The integer that a settings value stands for, read the way the settings
// file has always been read: leading blanks, then an optional sign, then
// either decimal digits or hexadecimal digits after "$", "x", "X", "0x" or
// "0X". Anything else (an empty value, trailing characters, a number outside
// the 32-bit range) is not an integer, and the caller uses its default.
std::optional<int32_t> ParseProfileInteger(std::string_view text);

} // namespace orbisk
