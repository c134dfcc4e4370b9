// Fuzzes the reading of integers from settings values against the standard
// library's conversion: leading blanks, a sign, then decimal digits or
// hexadecimal digits after "$", "x", "X", "0x" or "0X", within 32 bits;
// anything else is no integer.

#include "platform/settings/ProfileInteger.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

std::optional<int32_t> Expected(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (s.starts_with("0x") || s.starts_with("0X")) {
        base = 16;
        s.remove_prefix(2);
    } else if (s.starts_with('$') || s.starts_with('x') || s.starts_with('X')) {
        base = 16;
        s.remove_prefix(1);
    }
    // from_chars takes no sign of its own here: the sign was taken above.
    if (s.empty() || s.front() == '-' || s.front() == '+')
        return std::nullopt;
    uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
    if (end != s.data() + s.size())
        return std::nullopt;
    const uint64_t limit = negative ? uint64_t(1) << 31 : (uint64_t(1) << 31) - 1;
    if (error == std::errc::result_out_of_range || magnitude > limit)
        return std::nullopt;
    return int32_t(negative ? -int64_t(magnitude) : int64_t(magnitude));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<int32_t> value = orbisk::ParseProfileInteger(text);
    if (value != Expected(text))
        std::abort();
    // What the program writes (decimal) reads back as it was.
    if (value && orbisk::ParseProfileInteger(std::to_string(*value)) != value)
        std::abort();
    return 0;
}
