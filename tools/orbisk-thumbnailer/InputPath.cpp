#include "InputPath.h"

#include <string_view>

namespace orbisk::tool {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? char(text[i] - 'A' + 'a') : text[i];
        if (c != prefix[i])
            return false;
    }
    return true;
}

std::optional<std::string> Unescape(std::string_view escaped)
{
    std::string path;
    path.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] != '%') {
            path += escaped[i];
            continue;
        }
        const int high = i + 2 < escaped.size() ? HexDigit(escaped[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(escaped[i + 2]) : -1;
        if (low < 0 || (high == 0 && low == 0))
            return std::nullopt;
        path += char(high * 16 + low);
        i += 2;
    }
    return path;
}

// "scheme://...": a URI, not a path (a relative path that looks so is not
// worth telling apart).
bool IsUri(std::string_view text)
{
    const std::size_t colon = text.find("://");
    if (colon == 0 || colon == std::string_view::npos)
        return false;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = text[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!letter && (i == 0 || !other))
            return false;
    }
    return true;
}

} // namespace

std::optional<std::string> InputPath(const std::string& input)
{
    constexpr std::string_view scheme = "file://";
    if (!IsUri(input))
        return input;
    if (!StartsWithNoCase(input, scheme))
        return std::nullopt;
    std::string_view rest = std::string_view(input).substr(scheme.size());
    if (StartsWithNoCase(rest, "localhost/"))
        rest.remove_prefix(std::string_view("localhost").size());
    if (rest.empty() || rest.front() != '/')
        return std::nullopt;
    // A query or fragment has no place in a file's URI; '?' and '#' in a
    // name arrive escaped.
    if (rest.find_first_of("?#") != std::string_view::npos)
        return std::nullopt;
    return Unescape(rest);
}

} // namespace orbisk::tool
