#include "platform/namespace/NamespaceRole.h"

namespace orbisk {

NamespaceRole RoleOf(const ItemIdList& absolute)
{
    if (absolute.IsEmpty())
        return NamespaceRole::Desktop;
    const auto elements = absolute.Elements();
    std::size_t names = 1;
    switch (elements[0].kind) {
    case IdKind::Computer:
        if (elements.size() == 1)
            return NamespaceRole::Computer;
        if (elements[1].kind != IdKind::Drive)
            return NamespaceRole::Invalid;
        names = 2;
        break;
    case IdKind::Home:
    case IdKind::DesktopEntry:
        break;
    default:
        return NamespaceRole::Invalid;
    }
    for (std::size_t i = names; i < elements.size(); ++i)
        if (elements[i].kind != IdKind::Name || elements[i].name.empty())
            return NamespaceRole::Invalid;
    return NamespaceRole::FileSystem;
}

} // namespace orbisk
