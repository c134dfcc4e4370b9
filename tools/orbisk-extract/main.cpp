#include "Subcommand.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace orbisk::tool {

static std::vector<const Subcommand*>& Table()
{
    static std::vector<const Subcommand*> table;
    return table;
}

Subcommand::Subcommand(const char* n, const char* u, Run r)
    : name(n)
    , usage(u)
    , run(r)
{
    Table().push_back(this);
}

const std::vector<const Subcommand*>& Subcommands() { return Table(); }

static void PrintUsage(FILE* to)
{
    std::fprintf(to, "usage: orbisk-extract COMMAND [OPTIONS] ARGS...\n\ncommands:\n");
    for (const Subcommand* c : Subcommands())
        std::fprintf(to, "%s\n", c->usage);
    std::fprintf(to, "\nRun 'orbisk-extract COMMAND --help' for the options of one command.\n");
}

} // namespace orbisk::tool

int main(int argc, char* argv[])
{
    using namespace orbisk::tool;
    if (argc < 2) {
        PrintUsage(stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    for (const Subcommand* c : Subcommands()) {
        if (std::strcmp(argv[1], c->name) == 0)
            return c->run(std::vector<std::string>(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "orbisk-extract: unknown command '%s'\n", argv[1]);
    PrintUsage(stderr);
    return 2;
}
