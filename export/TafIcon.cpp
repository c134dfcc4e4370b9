#include "export/TafIcon.h"

#include "export/AtomicFileStream.h"
#include "platform/pixels/DrawIcon.h"
#include "platform/pixels/IconImage.h"

namespace orbisk {

int TafIcon::Width() const { return handle_ ? LargeIconSize : 0; }

int TafIcon::Height() const { return handle_ ? LargeIconSize : 0; }

void TafIcon::Draw(QPainter& painter, int x, int y) const { DrawIconEx(painter, x, y, handle_, 0, 0, DI_NORMAL); }

void TafIcon::WriteIconFile(const TafIcon& icon, const std::string& fileName, int32_t colorCount)
{
    // Created first, so a name that cannot be written is reported as such
    // whatever the icon.
    AtomicFileStream file(fileName);
    WriteIconStream(file, icon.Handle(), colorCount);
    file.Commit();
}

} // namespace orbisk
