#include "GroupArgs.h"

#include "SaveOptions.h"

#include "export/GroupPng.h"
#include "platform/files/RegularFile.h"

#include <climits>
#include <cstdio>

namespace orbisk::tool {

namespace {

int UsageError(const GroupCommand& command, const std::string& message)
{
    std::fprintf(stderr, "orbisk-extract %s: %s\n", command.name, message.c_str());
    std::fprintf(stderr, "usage: orbisk-extract %s\n", command.usage);
    return 2;
}

// Takes a --size or --image value at args[i + 1]; false on a usage error.
bool TakePngOption(const std::vector<std::string>& args, std::size_t& i, GroupArgs& out, std::string& error)
{
    const std::string& a = args[i];
    if (i + 1 >= args.size()) {
        error = "missing value for '" + a + "'";
        return false;
    }
    const std::string& value = args[++i];
    if (a == "--size") {
        const long long size = ParseCount(value, kMaxPngSize);
        if (size < 1) {
            error = "--size takes 1 to " + std::to_string(kMaxPngSize) + " pixels, not '" + value + "'";
            return false;
        }
        out.size = int(size);
        return true;
    }
    const long long image = ParseCount(value, INT_MAX);
    if (image < 0) {
        error = "--image must be a whole number from 0 up, not '" + value + "'";
        return false;
    }
    out.image = std::size_t(image);
    return true;
}

} // namespace

int ParseGroupArgs(const GroupCommand& command, const std::vector<std::string>& args, GroupArgs& out)
{
    std::vector<std::string> operands;
    bool optionsDone = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string error;
        if (optionsDone || a.size() < 2 || a[0] != '-') {
            operands.push_back(a);
        } else if (a == "--") {
            optionsDone = true;
        } else if (a == "--help" || a == "-h") {
            std::printf("usage: orbisk-extract %s\n%s", command.usage, command.help);
            return 0;
        } else if (a == "--cursor") {
            out.cursor = true;
        } else if (command.pngOptions && (a == "--size" || a == "--image")) {
            if (!TakePngOption(args, i, out, error))
                return UsageError(command, error);
        } else {
            return UsageError(command, "unknown option '" + a + "'");
        }
    }
    const std::size_t wanted = command.outFile ? 3 : 2;
    if (operands.size() != wanted)
        return UsageError(command, command.outFile ? "FILE, INDEX and OUTFILE expected" : "FILE and INDEX expected");
    const long long index = ParseCount(operands[1], INT_MAX);
    if (index < 0)
        return UsageError(command, "INDEX must be a whole number from 0 up, not '" + operands[1] + "'");
    out.file = operands[0];
    out.index = int(index);
    if (command.outFile)
        out.outFile = operands[2];
    return -1;
}

std::optional<IconGroup> ReadGroupOrReport(const GroupCommand& command, const GroupArgs& args)
{
    if (auto file = RegularFile::Open(args.file); !file) {
        std::fprintf(stderr, "orbisk-extract %s: %s: %s\n", command.name, args.file.c_str(), file.error());
        return std::nullopt;
    }
    const char* what = args.cursor ? "cursor" : "icon";
    auto group = args.cursor ? ReadCursorGroup(args.file, args.index) : ReadIconGroup(args.file, args.index);
    if (!group) {
        std::fprintf(stderr, "orbisk-extract %s: %s has no %s #%d\n", command.name, args.file.c_str(), what,
                     args.index);
        return std::nullopt;
    }
    for (const LeftOutImage& left : group->leftOut)
        std::fprintf(stderr, "orbisk-extract %s: %s: %s #%d: directory entry %u left out (%s)\n", command.name,
                     args.file.c_str(), what, args.index, left.entry, left.why);
    return std::move(*group);
}

} // namespace orbisk::tool
