#include "GroupArgs.h"

#include "Records.h"
#include "SaveOptions.h"
#include "Subcommand.h"

#include "export/GroupPng.h"
#include "platform/files/RegularFile.h"

#include <climits>
#include <cstdio>

namespace orbisk::tool {

int ParseGroupArgs(const GroupCommand& command, const std::vector<std::string>& args, GroupArgs& out)
{
    CLI::App app(command.description, CommandName(command.name));
    app.add_option("FILE", out.file, "a program, library, icon library, icon, cursor or bitmap file")->required();
    app.add_option("INDEX", out.index, "the icon's number in the file, from 0, as 'list' numbers them")
        ->required()
        ->transform(WholeNumber(0, INT_MAX));
    if (command.outFile)
        app.add_option("OUTFILE", out.outFile, "the file to write; an existing one is replaced")->required();
    app.add_flag("--cursor", out.cursor,
        "INDEX counts the file's cursors (a program's RT_GROUP_CURSOR groups, or a cursor file's one) instead "
        "of its icons");
    if (command.pngOptions) {
        app.add_option("--size", out.size,
               "scale the image smoothly so that its longer side is N pixels; without it the image keeps its "
               "own size")
            ->type_name("N")
            ->transform(WholeNumber(1, kMaxPngSize));
        app.add_option_function<std::size_t>(
               "--image", [&out](const std::size_t& image) { out.image = image; },
               "the image K (from 0) of the group, in the order 'group' lists")
            ->type_name("K")
            ->transform(WholeNumber(0, INT_MAX));
    }
    if (command.json)
        app.add_flag("--json", out.json,
            "JSON Lines: {\"path\", \"icon\", \"width\", \"height\", \"bits\", \"format\", \"bytes\"} per "
            "image (cursors add \"hotspot_x\", \"hotspot_y\")");
    app.footer(command.outFile ? "Exit status: 0 saved, 1 not saved (no such icon, not a file Orbisk reads, or the "
                                 "write failed), 2 usage error, 130 interrupted."
                               : "Exit status: 0 listed, 1 no such icon or no image listed, 2 usage error.");
    return ParseArguments(app, args);
}

std::string Shown(const std::string& path) { return EscapeLine(path); }

std::optional<IconGroup> ReadGroupOrReport(const GroupCommand& command, const GroupArgs& args)
{
    if (auto file = RegularFile::Open(args.file); !file) {
        std::fprintf(stderr, "orbisk-extract %s: %s: %s\n", command.name, Shown(args.file).c_str(), file.error());
        return std::nullopt;
    }
    const char* what = args.cursor ? "cursor" : "icon";
    auto group = args.cursor ? ReadCursorGroup(args.file, args.index) : ReadIconGroup(args.file, args.index);
    if (!group) {
        std::fprintf(stderr, "orbisk-extract %s: %s has no %s #%d\n", command.name, Shown(args.file).c_str(), what,
                     args.index);
        return std::nullopt;
    }
    for (const LeftOutImage& left : group->leftOut)
        std::fprintf(stderr, "orbisk-extract %s: %s: %s #%d: directory entry %u left out (%s)\n", command.name,
                     Shown(args.file).c_str(), what, args.index, left.entry, left.why);
    return std::move(*group);
}

} // namespace orbisk::tool
