#include "platform/files/NativePath.h"

namespace orbisk {

std::string JoinPath(std::string_view folder, std::string_view name)
{
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    if (!folder.empty() && folder.back() != '/')
        path.push_back('/');
    path.append(name);
    return path;
}

std::string TrimTrailingSeparators(std::string_view path)
{
    std::size_t end = path.size();
    while (end > 0 && path[end - 1] == '/')
        --end;
    if (end == 0 && !path.empty())
        return "/";
    return std::string(path.substr(0, end));
}

SplitPath SplitFilePath(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return { {}, std::string(path) };
    return { TrimTrailingSeparators(path.substr(0, slash + 1)), std::string(path.substr(slash + 1)) };
}

std::optional<std::string> NormalizePath(std::string_view path)
{
    if (path.empty() || path[0] != '/' || path.size() > MaxPathBytes)
        return std::nullopt;
    std::string out;
    std::size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && path[i] == '/')
            ++i;
        const std::size_t start = i;
        while (i < path.size() && path[i] != '/')
            ++i;
        const std::string_view part = path.substr(start, i - start);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            out.resize(out.rfind('/') == std::string::npos ? 0 : out.rfind('/'));
            continue;
        }
        out += '/';
        out.append(part);
    }
    return out.empty() ? std::string("/") : out;
}

} // namespace orbisk
