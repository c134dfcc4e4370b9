#include "Records.h"
#include "SaveOptions.h"
#include "Subcommand.h"

#include "platform/extract/ExtractIcon.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace orbisk::tool {

namespace {

constexpr const char* Name = "save";

int Save(const std::vector<std::string>& args)
{
    SaveOptions options;
    std::string file;
    int index = 0;
    std::string outFile;
    CLI::App app("Writes icon INDEX (from 0) of FILE into OUTFILE, an icon file unless --bmp is given. An "
                 "existing OUTFILE is replaced; a save that fails leaves it as it was.",
        CommandName(Name));
    app.add_option("FILE", file, "a program, library, icon library, icon, cursor or bitmap file")->required();
    app.add_option("INDEX", index, "the icon's number in the file, from 0")->required()->transform(WholeNumber(0, INT_MAX));
    app.add_option("OUTFILE", outFile, "the file to write")->required();
    AddSaveOptions(app, options);
    app.footer("Exit status: 0 saved, 1 not saved (no such icon, not a file Orbisk reads, or the write failed), "
               "2 usage error, 130 interrupted.");
    if (const int status = ParseArguments(app, args); status >= 0)
        return status;

    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) {
        std::fprintf(stderr, "orbisk-extract save: %s: %s\n", EscapeLine(file).c_str(), std::strerror(errno));
        return ExitFailure;
    }
    UniqueIcon handle(ExtractIcon(file, index));
    if (!handle) {
        std::fprintf(stderr, "orbisk-extract save: %s has no icon #%d\n", EscapeLine(file).c_str(), index);
        return ExitFailure;
    }
    const TafIcon icon(handle.get());
    int status = 0;
    try {
        WriteSaved(icon, outFile, options);
    } catch (const Exception& e) {
        std::fprintf(stderr, "orbisk-extract save: %s\n", EscapeLine(e.what()).c_str());
        status = ExitFailure;
    }
    return status;
}

const Subcommand saveCommand(Name, "write one icon as an icon or bitmap file", Save);

} // namespace

} // namespace orbisk::tool
