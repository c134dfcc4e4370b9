#include "platform/extract/ExtractIcon.h"

#include "platform/extract/IconDecoders.h"
#include "platform/extract/NumberedFile.h"

namespace orbisk {

namespace {

UniqueIcon Handle(Result<IconData> icon)
{
    if (!icon)
        return nullptr;
    return UniqueIcon(CreateIcon(std::move(*icon)));
}

} // namespace

UniqueIcon ExtractIconDetailed(const std::string& path, int n, IconSourceInfo* chosen)
{
    if (n < 0)
        return nullptr;
    NumberedFile& last = NumberedFile::IconsOfThisThread();
    auto file = RegularFile::Open(path);
    if (!file) {
        last.Forget();
        return nullptr;
    }
    FileSource source = last.Use(path, *file);
    return Handle(last.Numbering().Icon(source, n, chosen));
}

HICON ExtractIcon(const std::string& path, int n) { return ExtractIconDetailed(path, n, nullptr).release(); }

UniqueIcon ExtractIconFromBytes(std::span<const uint8_t> bytes, int n, IconSourceInfo* chosen)
{
    MemorySource source(bytes);
    auto container = OpenIconContainer(source);
    if (!container)
        return nullptr;
    IconNumbering numbering(std::move(*container));
    return Handle(numbering.Icon(source, n, chosen));
}

} // namespace orbisk
