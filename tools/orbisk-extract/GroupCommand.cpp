#include "GroupArgs.h"
#include "Records.h"
#include "Subcommand.h"

#include <cstdio>

namespace orbisk::tool {

namespace {

constexpr GroupCommand kGroup {
    "group",
    "Prints the images of icon INDEX (from 0, numbered as 'list' numbers icons) of FILE in the order its group "
    "stores them, one line per image: '<w>x<h> <bits> <dib|png> <bytes>', with the size and depth from the image "
    "itself (a PNG image counts as 32 bits) and the number of bytes it is stored in. A cursor's lines end in its "
    "hot spot, <x>,<y>. An image the group names but cannot give whole is left out and named on standard error.",
    false, false, true,
};

const char* FormatName(ImageFormat format) { return format == ImageFormat::Png ? "png" : "dib"; }

int Group(const std::vector<std::string>& args)
{
    GroupArgs parsed;
    if (const int status = ParseGroupArgs(kGroup, args, parsed); status >= 0)
        return status;
    const auto group = ReadGroupOrReport(kGroup, parsed);
    if (!group)
        return 1;
    const bool cursor = group->kind == GroupKind::Cursor;
    for (const GroupImage& image : group->images) {
        if (parsed.json) {
            JsonRecord record;
            record.Path("path", parsed.file).Number("icon", parsed.index).Number("width", image.width);
            record.Number("height", image.height).Number("bits", image.bits).Text("format", FormatName(image.format));
            record.Number("bytes", static_cast<long long>(image.bytes.size()));
            if (cursor)
                record.Number("hotspot_x", image.hotspot.x).Number("hotspot_y", image.hotspot.y);
            WriteRecord(RecordFormat::Json, record.Object());
            continue;
        }
        std::printf("%dx%d %d %s %zu", image.width, image.height, image.bits, FormatName(image.format),
                    image.bytes.size());
        if (cursor)
            std::printf(" %u,%u", unsigned(image.hotspot.x), unsigned(image.hotspot.y));
        std::printf("\n");
    }
    return group->images.empty() ? ExitFailure : ExitSuccess;
}

const Subcommand groupCommand("group", "print the images of one icon's group as stored", Group);

} // namespace

} // namespace orbisk::tool
