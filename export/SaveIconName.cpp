#include "export/SaveIconName.h"

#include "platform/files/NativePath.h"

namespace orbisk {

bool HasExtension(std::string_view name) { return SplitFilePath(name).name.find('.') != std::string::npos; }

std::string ProposedIconFileName(std::string_view fileName, int iconIndex)
{
    std::string name = SplitFilePath(fileName).name;
    if (const auto dot = name.rfind('.'); dot != std::string::npos)
        name.resize(dot);
    if (iconIndex > 0) {
        name.push_back('-');
        name += std::to_string(iconIndex);
    }
    return name;
}

} // namespace orbisk
