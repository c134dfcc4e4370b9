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

constexpr const char* SaveUsage = "  save [--colors N | --bmp] [--display-depth D] FILE INDEX OUTFILE";

constexpr const char* SaveHelpHead
    = "usage: orbisk-extract save [--colors N | --bmp] [--display-depth D] FILE INDEX OUTFILE\n"
      "\n"
      "Writes icon INDEX (from 0) of FILE into OUTFILE, an icon file unless --bmp is\n"
      "given. An existing OUTFILE is replaced; a save that fails leaves it as it was.\n"
      "\n";
constexpr const char* SaveHelpTail = "\nExit status: 0 saved, 1 not saved, 2 usage error.\n";

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "orbisk-extract save: %s\n", message.c_str());
    std::fprintf(stderr, "usage: orbisk-extract save [--colors N | --bmp] [--display-depth D] FILE INDEX OUTFILE\n");
    return 2;
}

int Save(const std::vector<std::string>& args)
{
    SaveOptions options;
    std::vector<std::string> operands;
    bool optionsDone = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsDone || a.size() < 2 || a[0] != '-') {
            operands.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsDone = true;
            continue;
        }
        if (a == "--help" || a == "-h") {
            std::printf("%s%s%s", SaveHelpHead, SaveOptionsHelp, SaveHelpTail);
            return 0;
        }
        std::string error;
        const OptionParse r = ParseSaveOption(args, i, options, error);
        if (r == OptionParse::Error)
            return UsageError(error);
        if (r == OptionParse::NotMine)
            return UsageError("unknown option '" + a + "'");
    }
    if (operands.size() != 3)
        return UsageError("FILE, INDEX and OUTFILE expected");
    const std::string& file = operands[0];
    const long long index = ParseCount(operands[1], INT_MAX);
    const std::string& outFile = operands[2];
    if (index < 0)
        return UsageError("INDEX must be a whole number from 0 up, not '" + operands[1] + "'");

    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) {
        std::fprintf(stderr, "orbisk-extract save: %s: %s\n", file.c_str(), std::strerror(errno));
        return 1;
    }
    UniqueIcon handle(ExtractIcon(file, int(index)));
    if (!handle) {
        std::fprintf(stderr, "orbisk-extract save: %s has no icon #%lld\n", file.c_str(), index);
        return 1;
    }
    TafIcon icon;
    icon.SetHandle(handle.get());
    int status = 0;
    try {
        WriteSaved(icon, outFile, options);
    } catch (const Exception& e) {
        std::fprintf(stderr, "orbisk-extract save: %s\n", e.what());
        status = 1;
    }
    icon.ReleaseHandle();
    return status;
}

const Subcommand saveCommand("save", SaveUsage, Save);

} // namespace

} // namespace orbisk::tool
