#include "platform/extract/IconFitting.h"
#include "platform/extract/IconNumbering.h"

namespace orbisk {

Result<IconData> IconNumbering::Icon(ByteSource& source, int n, ImageInfo* chosen)
{
    IconData icon;
    auto g = Find(source, n, chosen, &icon, &DecodeGroup);
    if (!g)
        return g.AsError();
    return icon;
}

} // namespace orbisk
