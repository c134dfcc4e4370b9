#include "GroupArgs.h"
#include "Subcommand.h"

#include "export/GroupFileWriter.h"

#include <cstdio>

namespace orbisk::tool {

namespace {

constexpr GroupCommand kSaveGroup {
    "save-group", "save-group [--cursor] FILE INDEX OUTFILE",
    "\n"
    "Writes the whole group of icon INDEX (from 0) of FILE into OUTFILE as an icon\n"
    "file, every image in the group's order and byte for byte as stored (a PNG\n"
    "image stays PNG); a cursor group becomes a cursor file with its hot spots.\n"
    "Images that cannot be read whole are left out and named on standard error.\n"
    "An existing OUTFILE is replaced; a save that fails leaves it as it was.\n"
    "\n"
    "  --cursor  INDEX counts the file's cursors (a program's RT_GROUP_CURSOR\n"
    "            groups, or a cursor file's one) instead of its icons\n"
    "\n"
    "Exit status: 0 saved, 1 not saved, 2 usage error.\n",
    true, false,
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
        std::fprintf(stderr, "orbisk-extract save-group: %s\n", e.what());
        return 1;
    }
    return 0;
}

const Subcommand saveGroupCommand("save-group", "  save-group [--cursor] FILE INDEX OUTFILE", SaveGroup);

} // namespace

} // namespace orbisk::tool
