#include "GroupArgs.h"
#include "Subcommand.h"

#include "export/GroupFileWriter.h"

#include <cstdio>

namespace orbisk::tool {

namespace {

constexpr GroupCommand kSaveGroup {
    "save-group",
    "Writes the whole group of icon INDEX (from 0) of FILE into OUTFILE as an icon file, every image in the "
    "group's order and byte for byte as stored (a PNG image stays PNG); a cursor group becomes a cursor file with "
    "its hot spots. Images that cannot be read whole are left out and named on standard error. An existing OUTFILE "
    "is replaced; a save that fails leaves it as it was.",
    true, false, false,
};

int SaveGroup(const std::vector<std::string>& args)
{
    GroupArgs parsed;
    if (const int status = ParseGroupArgs(kSaveGroup, args, parsed); status >= 0)
        return status;
    const auto group = ReadGroupOrReport(kSaveGroup, parsed);
    if (!group)
        return 1;
    try {
        WriteGroupFile(*group, parsed.outFile);
    } catch (const Exception& e) {
        std::fprintf(stderr, "orbisk-extract save-group: %s\n", Shown(e.what()).c_str());
        return 1;
    }
    return 0;
}

const Subcommand saveGroupCommand("save-group", "write one icon's whole group as an icon or cursor file", SaveGroup);

} // namespace

} // namespace orbisk::tool
