#pragma once

#include <string>
#include <vector>

namespace orbisk::tool {

// A subcommand of orbisk-extract. Each lives in a file of its own, defines
// its arguments with the argument parser (ToolArguments.h) and adds itself
// to the table with a static Subcommand object.
//   run: gets the arguments after the subcommand's name; returns the exit
//        status (see ToolArguments.h).
struct Subcommand {
    using Run = int (*)(const std::vector<std::string>& args);
    Subcommand(const char* name, const char* summary, Run run);

    const char* name;
    const char* summary; // one line for the list of commands
    Run run;
};

const std::vector<const Subcommand*>& Subcommands();

// "orbisk-extract <command>", as the parser names a command.
std::string CommandName(const char* command);

// Whether Ctrl+C has asked the running command to stop.
bool Interrupted();

} // namespace orbisk::tool
