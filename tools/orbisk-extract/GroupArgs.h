#pragma once

#include "platform/extract/IconGroup.h"

#include <optional>
#include <string>
#include <vector>

namespace orbisk::tool {

// What the group subcommands (group, save-group, save-png) accept.
struct GroupCommand {
    const char* name; // as typed after orbisk-extract
    const char* usage; // the usage line, without "usage: orbisk-extract "
    const char* help; // --help text after the usage line
    bool outFile; // takes OUTFILE after FILE INDEX
    bool pngOptions; // takes --size N and --image K
};

struct GroupArgs {
    bool cursor = false; // --cursor: INDEX counts cursors
    int size = 0; // --size, 0 for the image's own size
    std::optional<std::size_t> image; // --image
    std::string file;
    int index = 0;
    std::string outFile;
};

// Fills `out` from the arguments; returns -1 to go on, otherwise the exit
// status (0 after --help, 2 after a usage error, both already reported).
int ParseGroupArgs(const GroupCommand& command, const std::vector<std::string>& args, GroupArgs& out);

// Group INDEX of FILE, icons or cursors. Failures are reported on standard
// error as "orbisk-extract <command>: ..."; so is each image the group left
// out.
std::optional<IconGroup> ReadGroupOrReport(const GroupCommand& command, const GroupArgs& args);

} // namespace orbisk::tool
