#pragma once

#include <string>
#include <vector>

namespace orbisk::tool {

// A subcommand of orbisk-extract. Each lives in a file of its own and adds
// itself to the table with a static Subcommand object.
//   run: gets the arguments after the subcommand's name; returns the exit
//        status (0 success, 1 something failed, 2 usage error).
struct Subcommand {
    using Run = int (*)(const std::vector<std::string>& args);
    Subcommand(const char* name, const char* usage, Run run);

    const char* name;
    const char* usage;
    Run run;
};

const std::vector<const Subcommand*>& Subcommands();

} // namespace orbisk::tool
