#include "core/PassesFilter.h"

#include <QString>

namespace orbisk {

std::string_view FilterExtension(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.find('/', dot) != std::string_view::npos)
        return {};
    return name.substr(dot);
}

namespace {

bool IsAscii(std::string_view s)
{
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

void UpperAsciiInPlace(std::string& s)
{
    for (char& c : s) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
}

} // namespace

std::string UpperExtension(std::string_view extension)
{
    std::string upper(extension);
    if (IsAscii(extension)) {
        UpperAsciiInPlace(upper);
        return upper;
    }
    const QString decoded = QString::fromUtf8(extension.data(), qsizetype(extension.size()));
    const QByteArray back = decoded.toUtf8();
    if (std::string_view(back.constData(), std::size_t(back.size())) != extension) {
        // Not valid UTF-8: its characters are unknown, so only ASCII letters change.
        UpperAsciiInPlace(upper);
        return upper;
    }
    const QByteArray upperUtf8 = decoded.toUpper().toUtf8();
    return std::string(upperUtf8.constData(), std::size_t(upperUtf8.size()));
}

bool PassesFilter(std::string_view name, std::string_view fileExt)
{
    if (fileExt == "*")
        return true;
    const std::string_view extension = FilterExtension(name);
    if (extension.empty())
        return true;
    if (IsAscii(extension)) {
        char buffer[64];
        if (extension.size() <= sizeof buffer) {
            // The common case, without an allocation per directory entry.
            for (std::size_t i = 0; i < extension.size(); ++i) {
                const char c = extension[i];
                buffer[i] = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
            }
            return fileExt.find(std::string_view(buffer, extension.size())) != std::string_view::npos;
        }
    }
    return fileExt.find(UpperExtension(extension)) != std::string_view::npos;
}

} // namespace orbisk
