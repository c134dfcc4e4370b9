#include "app/CommandLine.h"

#include "platform/files/NativePath.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace orbisk {

namespace {

bool HasParentStep(std::string_view path)
{
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (path.substr(start, end - start) == "..")
            return true;
        start = end + 1;
    }
    return false;
}

std::string WorkingFolder()
{
    std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
    return cwd ? std::string(cwd.get()) : std::string();
}

// The absolute form of an existing path. The names the user gave are kept
// (a link to a folder stays the link); only a path that steps up with ".."
// is resolved by the kernel, since "link/.." is the link target's parent,
// not the folder that holds the link.
std::string AbsolutePath(const std::string& path)
{
    if (HasParentStep(path)) {
        std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
        if (real)
            return real.get();
    }
    const std::string absolute = path[0] == '/' ? path : JoinPath(WorkingFolder(), path);
    return NormalizePath(absolute).value_or(absolute);
}

// Opens what path names, or says why it cannot.
void TakePath(const std::string& path, CommandLine& line)
{
    if (!line.openPath.empty()) {
        line.errors.push_back("orbisk: only one file or folder can be opened; ignored: " + path);
        return;
    }
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) {
        const char* why = path.empty() ? "No such file or directory" : std::strerror(errno);
        line.errors.push_back("orbisk: cannot open " + path + ": " + why);
        return;
    }
    line.openPath = AbsolutePath(path);
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    CommandLine line;
    bool options = true;
    for (const std::string& arg : args) {
        if (options && arg == "--")
            options = false;
        else if (options && (arg == "--help" || arg == "-h"))
            line.showHelp = true;
        else if (options && arg == "--version")
            line.showVersion = true;
        else if (options && arg.size() > 1 && arg[0] == '-')
            line.errors.push_back("orbisk: unknown option " + arg + " (see orbisk --help)");
        else
            TakePath(arg, line);
    }
    return line;
}

std::vector<std::string> ArgumentsOf(int argc, char* argv[])
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    return args;
}

std::string UsageText()
{
    return "Usage: orbisk [PATH]\n"
           "Shows every icon of the programs, libraries, icon, cursor and bitmap files\n"
           "in a folder, and saves the ones you mark.\n"
           "\n"
           "  PATH       a folder: the folder tree opens on it;\n"
           "             a file: the tree opens on its folder and its icons are shown\n"
           "  --help     show this help and end\n"
           "  --version  show the version and end\n";
}

} // namespace orbisk
