#include "export/GroupIconFile.h"

#include "export/GroupFileWriter.h"
#include "export/SaveColors.h"
#include "export/TafIcon.h"

namespace orbisk {

namespace {

IconGroup AsIcons(IconGroup group)
{
    if (group.kind == GroupKind::Cursor)
        group.kind = GroupKind::Icon;
    return group;
}

} // namespace

void WriteGroupIconStream(OutputStream& stream, IconGroup group, HICON shown)
{
    if (group.kind == GroupKind::Bitmap)
        TafIcon::WriteIconStream(stream, shown, TrueColor32);
    else
        WriteGroupStream(stream, AsIcons(std::move(group)));
}

void WriteGroupIconFile(IconGroup group, HICON shown, const std::string& fileName)
{
    if (group.kind == GroupKind::Bitmap)
        TafIcon::WriteIconFile(TafIcon(shown), fileName, TrueColor32);
    else
        WriteGroupFile(AsIcons(std::move(group)), fileName);
}

} // namespace orbisk
