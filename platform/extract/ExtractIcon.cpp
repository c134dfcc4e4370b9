#include "platform/extract/ExtractIcon.h"

#include "platform/extract/IconDecoders.h"
#include "platform/extract/IconFitting.h"

namespace orbisk {

namespace {

IconFile& LastFileOfThisThread(const std::string& path)
{
    thread_local IconFile last;
    if (!last || last.Path() != path)
        last = IconFile::Open(path);
    return last;
}

} // namespace

UniqueIcon ExtractIconDetailed(const std::string& path, int n, IconSourceInfo* chosen)
{
    if (n < 0)
        return nullptr;
    IconFile& last = LastFileOfThisThread(path);
    UniqueIcon icon = last.Icon(n, chosen);
    // Neither a descriptor nor a handle is kept between calls; the next
    // call opens the file again and sees whether it changed.
    last.Close();
    last.ForgetImages();
    return icon;
}

Result<GroupResource> ExtractIconResource(const std::string& path, int n)
{
    IconFile& last = LastFileOfThisThread(path);
    auto resource = last.Resource(n);
    last.Close();
    return resource;
}

HICON ExtractIcon(const std::string& path, int n) { return ExtractIconDetailed(path, n, nullptr).release(); }

UniqueIcon ExtractIconFromBytes(std::span<const uint8_t> bytes, int n, IconSourceInfo* chosen)
{
    MemorySource source(bytes);
    auto container = OpenIconContainer(source);
    if (!container)
        return nullptr;
    IconNumbering numbering(std::move(*container));
    auto icon = NumberedIcon(numbering, source, n, chosen);
    if (!icon)
        return nullptr;
    return UniqueIcon(CreateIcon(std::move(*icon)));
}

} // namespace orbisk
