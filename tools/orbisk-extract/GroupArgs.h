#pragma once

#include "ToolArguments.h"

#include "platform/extract/IconGroup.h"

#include <optional>
#include <string>
#include <vector>

namespace orbisk::tool {

// What the group subcommands (group, save-group, save-png) accept.
struct GroupCommand {
    const char* name; // as typed after orbisk-extract
    const char* description; // what --help says the command does
    bool outFile; // takes OUTFILE after FILE INDEX
    bool pngOptions; // takes --size N and --image K
    bool json; // takes --json
};

struct GroupArgs {
    bool cursor = false; // --cursor: INDEX counts cursors
    int size = 0; // --size, 0 for the image's own size
    std::optional<std::size_t> image; // --image
    std::string file;
    int index = 0;
    std::string outFile;
    bool json = false;
};

// Fills `out` from the arguments; returns -1 to go on, otherwise the exit
// status (0 after --help, 2 after a usage error, both already reported).
int ParseGroupArgs(const GroupCommand& command, const std::vector<std::string>& args, GroupArgs& out);

// How the group commands name a file on standard error: escaped, on one
// line.
std::string Shown(const std::string& path);

// Group INDEX of FILE, icons or cursors. Failures are reported on standard
// error as "orbisk-extract <command>: ..."; so is each image the group left
// out.
std::optional<IconGroup> ReadGroupOrReport(const GroupCommand& command, const GroupArgs& args);

} // namespace orbisk::tool
