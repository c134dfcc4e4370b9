#include "export/SaveIconName.h"

namespace orbisk {

namespace {

std::string_view LastPart(std::string_view name)
{
    const auto slash = name.rfind('/');
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

} // namespace

bool HasExtension(std::string_view name) { return LastPart(name).find('.') != std::string_view::npos; }

std::string ProposedIconFileName(std::string_view fileName, int iconIndex)
{
    std::string_view base = LastPart(fileName);
    if (const auto dot = base.rfind('.'); dot != std::string_view::npos)
        base = base.substr(0, dot);
    std::string name(base);
    if (iconIndex > 0) {
        name.push_back('-');
        name += std::to_string(iconIndex);
    }
    return name;
}

} // namespace orbisk
