#include "platform/extract/ResourceName.h"

#include <array>

namespace orbisk {

namespace {

constexpr char32_t kReplacement = 0xfffd;

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xc0 | (c >> 6));
        out += char(0x80 | (c & 0x3f));
    } else if (c < 0x10000) {
        out += char(0xe0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3f));
        out += char(0x80 | (c & 0x3f));
    } else {
        out += char(0xf0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3f));
        out += char(0x80 | ((c >> 6) & 0x3f));
        out += char(0x80 | (c & 0x3f));
    }
}

// 0x80 to 0x9F of code page 1252; the five bytes it leaves undefined keep
// their Latin-1 meaning.
constexpr std::array<char16_t, 32> kWindows1252High {
    0x20ac, 0x0081, 0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021, 0x02c6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008d, 0x017d, 0x008f, 0x0090, 0x2018, 0x2019, 0x201c, 0x201d, 0x2022,
    0x2013, 0x2014, 0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0x009d, 0x017e, 0x0178,
};

} // namespace

std::string Utf8FromUtf16Le(std::span<const uint8_t> units)
{
    std::string out;
    const std::size_t count = units.size() / 2;
    const auto unit = [&](std::size_t i) { return char16_t(units[2 * i] | (units[2 * i + 1] << 8)); };
    for (std::size_t i = 0; i < count; ++i) {
        const char16_t u = unit(i);
        if (u < 0xd800 || u > 0xdfff) {
            AppendUtf8(out, u);
        } else if (u < 0xdc00 && i + 1 < count && unit(i + 1) >= 0xdc00 && unit(i + 1) <= 0xdfff) {
            AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xd800) << 10) + (char32_t(unit(i + 1)) - 0xdc00));
            ++i;
        } else {
            AppendUtf8(out, kReplacement);
        }
    }
    return out;
}

std::string Utf8FromWindows1252(std::span<const uint8_t> bytes)
{
    std::string out;
    for (uint8_t b : bytes)
        AppendUtf8(out, b >= 0x80 && b < 0xa0 ? kWindows1252High[b - 0x80] : char32_t(b));
    return out;
}

} // namespace orbisk
