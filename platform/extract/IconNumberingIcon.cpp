#include "platform/extract/IconFitting.h"
#include "platform/extract/IconNumbering.h"

namespace orbisk {

Result<IconData> IconNumbering::Icon(ByteSource& source, int n, ImageInfo* chosen)
{
    IconData icon;
    auto g = FindIcon(source, n, [&](uint32_t group) {
        auto decoded = DecodeGroup(source, *Container(), group, chosen);
        if (decoded)
            icon = std::move(*decoded);
        return bool(decoded);
    });
    if (!g)
        return g.AsError();
    return icon;
}

} // namespace orbisk
