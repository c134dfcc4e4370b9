#include "platform/settings/ProfileInteger.h"

namespace orbisk {

namespace {

int DigitValue(char c, int base)
{
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

// Strips a hexadecimal prefix; returns the base the rest is written in.
int TakeRadixPrefix(std::string_view& s)
{
    if (!s.empty() && (s[0] == '$' || s[0] == 'x' || s[0] == 'X')) {
        s.remove_prefix(1);
        return 16;
    }
    if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        return 16;
    }
    return 10;
}

} // namespace

std::optional<int32_t> ParseProfileInteger(std::string_view s)
{
    while (!s.empty() && (s[0] == ' ' || s[0] == '\t'))
        s.remove_prefix(1);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    const int base = TakeRadixPrefix(s);
    if (s.empty())
        return std::nullopt;

    // The magnitude may reach 2^31 only for a negative number.
    const int64_t limit = negative ? int64_t(1) << 31 : (int64_t(1) << 31) - 1;
    int64_t magnitude = 0;
    for (char c : s) {
        const int digit = DigitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

} // namespace orbisk
