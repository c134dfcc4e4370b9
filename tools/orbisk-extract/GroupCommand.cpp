#include "GroupArgs.h"
#include "Subcommand.h"

#include <cstdio>

namespace orbisk::tool {

namespace {

constexpr GroupCommand kGroup {
    "group", "group [--cursor] FILE INDEX",
    "\n"
    "Prints the images of icon INDEX (from 0, numbered as 'list' numbers icons)\n"
    "of FILE in the order its group stores them, one line per image:\n"
    "  <w>x<h> <bits> <dib|png> <bytes>\n"
    "with the size and depth from the image itself (a PNG image counts as 32\n"
    "bits) and the number of bytes it is stored in. A cursor's lines end in its\n"
    "hot spot, <x>,<y>. An image the group names but cannot give whole is left\n"
    "out and named on standard error.\n"
    "\n"
    "  --cursor  INDEX counts the file's cursors (a program's RT_GROUP_CURSOR\n"
    "            groups, or a cursor file's one) instead of its icons\n"
    "\n"
    "Exit status: 0 listed, 1 no such icon or no image listed, 2 usage error.\n",
    false, false,
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
    for (const GroupImage& image : group->images) {
        std::printf("%dx%d %d %s %zu", image.width, image.height, image.bits, FormatName(image.format),
                    image.bytes.size());
        if (group->kind == GroupKind::Cursor)
            std::printf(" %u,%u", unsigned(image.hotspot.x), unsigned(image.hotspot.y));
        std::printf("\n");
    }
    return group->images.empty() ? 1 : 0;
}

const Subcommand groupCommand("group", "  group [--cursor] FILE INDEX", Group);

} // namespace

} // namespace orbisk::tool
