#include "platform/extract/ExtractIcon.h"

#include "platform/extract/FileSource.h"
#include "platform/extract/IconDecoders.h"
#include "platform/extract/IconNumbering.h"
#include "platform/files/RegularFile.h"

namespace orbisk {

namespace {

// The last file this thread asked about. The scan asks for n = 0, 1, 2, ...
// of one file in turn; keeping its directory makes each call one decode. A
// file is known again by its path and identity, so a file changed, replaced
// or made unreadable between two calls is read afresh.
struct LastFile {
    bool valid = false;
    std::string path;
    FileIdentity identity;
    IconNumbering numbering;
    BlockCache blocks;
};

LastFile& ThisThreadsLastFile()
{
    thread_local LastFile last;
    return last;
}

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
    LastFile& last = ThisThreadsLastFile();
    auto file = RegularFile::Open(path);
    if (!file) {
        last.valid = false;
        return nullptr;
    }
    if (!last.valid || last.path != path || last.identity != file->Identity()) {
        last.valid = false;
        last.blocks.Clear();
        FileSource source(file->Descriptor(), file->Size(), last.blocks);
        auto container = OpenIconContainer(source);
        last.numbering = IconNumbering(container ? std::move(*container) : nullptr);
        last.path = path;
        last.identity = file->Identity();
        last.valid = true;
    }
    FileSource source(file->Descriptor(), file->Size(), last.blocks);
    return Handle(last.numbering.Icon(source, n, chosen));
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
