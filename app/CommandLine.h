#pragma once

#include <string>
#include <vector>

namespace orbisk {

// What "orbisk [PATH]" asks for.
struct CommandLine {
    // Print the usage or the version and end, without a window.
    bool showHelp = false;
    bool showVersion = false;
    // The file or folder to open: absolute, and it existed when the command
    // line was read. Empty for the usual start.
    std::string openPath;
    // Lines for stderr (a path that does not exist, an unknown option). The
    // program still starts as usual.
    std::vector<std::string> errors;
};

// Reads the arguments that follow the program's name, as the native bytes
// they are. A relative path is taken from the working folder; "--" ends the
// options, so a name that begins with "-" can follow it.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The arguments of main() after the program's name.
std::vector<std::string> ArgumentsOf(int argc, char* argv[]);

// What --help prints.
std::string UsageText();

} // namespace orbisk
