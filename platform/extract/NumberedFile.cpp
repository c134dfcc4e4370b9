#include "platform/extract/NumberedFile.h"

#include "platform/extract/IconDecoders.h"

namespace orbisk {

FileSource NumberedFile::Use(const std::string& path, const RegularFile& file)
{
    FileSource source(file.Descriptor(), file.Size(), blocks_);
    if (!valid_ || path_ != path || identity_ != file.Identity()) {
        valid_ = false;
        blocks_.Clear();
        auto container = open_(source);
        numbering_ = IconNumbering(container ? std::move(*container) : nullptr);
        path_ = path;
        identity_ = file.Identity();
        valid_ = true;
    }
    return source;
}

NumberedFile& NumberedFile::IconsOfThisThread()
{
    thread_local NumberedFile icons(OpenIconContainer);
    return icons;
}

NumberedFile& NumberedFile::CursorsOfThisThread()
{
    thread_local NumberedFile cursors(OpenCursorContainer);
    return cursors;
}

} // namespace orbisk
