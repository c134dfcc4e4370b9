#include "GroupArgs.h"
#include "Subcommand.h"

#include "export/GroupFileWriter.h"
#include "export/GroupPng.h"

#include <cstdio>

namespace orbisk::tool {

namespace {

constexpr GroupCommand kSavePng {
    "save-png",
    "Writes one image of the group of icon INDEX (from 0) of FILE into OUTFILE as a PNG image with alpha: the "
    "largest, the deepest on a tie, unless --image names another. An existing OUTFILE is replaced; a save that "
    "fails leaves it as it was.",
    true, true, false,
};

int SavePng(const std::vector<std::string>& args)
{
    GroupArgs parsed;
    if (const int status = ParseGroupArgs(kSavePng, args, parsed); status >= 0)
        return status;
    const auto group = ReadGroupOrReport(kSavePng, parsed);
    if (!group)
        return 1;
    const char* what = parsed.cursor ? "cursor" : "icon";
    if (group->images.empty()) {
        std::fprintf(stderr, "orbisk-extract save-png: %s: %s #%d has no image that can be read whole\n",
                     Shown(parsed.file).c_str(), what, parsed.index);
        return 1;
    }
    if (parsed.image && *parsed.image >= group->images.size()) {
        std::fprintf(stderr, "orbisk-extract save-png: %s: %s #%d has no image #%zu\n", Shown(parsed.file).c_str(), what,
                     parsed.index, *parsed.image);
        return 1;
    }
    try {
        WriteGroupPng(*group, parsed.image.value_or(LargestImage(*group)), parsed.size, parsed.outFile);
    } catch (const Exception& e) {
        std::fprintf(stderr, "orbisk-extract save-png: %s\n", Shown(e.what()).c_str());
        return 1;
    }
    return 0;
}

const Subcommand savePngCommand("save-png", "write one image of an icon's group as a PNG image", SavePng);

} // namespace

} // namespace orbisk::tool
