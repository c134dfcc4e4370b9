#include "Subcommand.h"
#include "ToolArguments.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace orbisk::tool {

namespace {

std::vector<const Subcommand*>& Table()
{
    static std::vector<const Subcommand*> table;
    return table;
}

volatile std::sig_atomic_t interrupted = 0;
extern "C" void OnInterrupt(int) { interrupted = 1; }

void PrintUsage(FILE* to)
{
    std::fprintf(to, "Usage: orbisk-extract COMMAND [OPTIONS] ARGS...\n\nCommands:\n");
    for (const Subcommand* c : Subcommands())
        std::fprintf(to, "  %-11s %s\n", c->name, c->summary);
    std::fprintf(to, "\nRun 'orbisk-extract COMMAND --help' for the options of one command.\n");
}

} // namespace

Subcommand::Subcommand(const char* n, const char* s, Run r)
    : name(n)
    , summary(s)
    , run(r)
{
    Table().push_back(this);
    std::sort(Table().begin(), Table().end(),
        [](const Subcommand* a, const Subcommand* b) { return std::strcmp(a->name, b->name) < 0; });
}

const std::vector<const Subcommand*>& Subcommands() { return Table(); }

std::string CommandName(const char* command) { return std::string("orbisk-extract ") + command; }

bool Interrupted() { return interrupted != 0; }

} // namespace orbisk::tool

int main(int argc, char* argv[])
{
    using namespace orbisk::tool;
    if (argc < 2) {
        std::fprintf(stderr, "orbisk-extract: a COMMAND is needed\nTry 'orbisk-extract --help'.\n");
        return ExitUsage;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintUsage(stdout);
        return ExitSuccess;
    }
    for (const Subcommand* c : Subcommands()) {
        if (std::strcmp(argv[1], c->name) != 0)
            continue;
        // Ctrl+C (and a request to end) lets a command end what it has in
        // hand: a file half written is removed, never left under its name.
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        for (const int signal : { SIGINT, SIGTERM, SIGHUP })
            sigaction(signal, &action, nullptr);
        const int status = c->run(std::vector<std::string>(argv + 2, argv + argc));
        // A script must not take output that never arrived for a success.
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            std::fprintf(stderr, "orbisk-extract %s: standard output: %s\n", c->name, std::strerror(errno));
            return ExitFailure;
        }
        return Interrupted() && status != ExitUsage ? ExitInterrupted : status;
    }
    std::fprintf(stderr, "orbisk-extract: unknown command '%s'\nTry 'orbisk-extract --help'.\n", argv[1]);
    return ExitUsage;
}
