#include "Subcommand.h"

#include "core/ScanEngine.h"
#include "core/PlainScanView.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include <sys/stat.h>

namespace orbisk::tool {

namespace {

constexpr const char* ScanUsage = "  scan [--subfolders] [--filter STRING] [--unique] PATH";

constexpr const char* ScanHelp
    = "usage: orbisk-extract scan [--subfolders] [--filter STRING] [--unique] PATH\n"
      "\n"
      "Scans PATH as Orbisk does (one file when PATH names a file) and prints every\n"
      "icon found as '<file path> #<index>', then the three status panels as\n"
      "'panel1: ...', 'panel2: ...', 'panel3: ...'.\n"
      "\n"
      "  --filter STRING  extensions to take, e.g. \".ICO,.CUR,.EXE,.DLL,.ICL,\"\n"
      "                   (the default), \"*\" for every file\n"
      "  --subfolders     walk the folders below PATH too\n"
      "  --unique         print only the first icon of each distinct picture\n"
      "\n"
      "Ctrl+C stops the scan and prints what was found so far (exit status 130).\n"
      "Exit status: 0 done, 1 PATH cannot be scanned, 2 usage error.\n";

volatile std::sig_atomic_t interrupted = 0;
extern "C" void OnInterrupt(int) { interrupted = 1; }

struct ScanOptions {
    bool withSub = false;
    bool unique = false;
    std::string fileExt { DefaultFileExt };
    std::string path;
};

// Returns 0 when the options are complete, otherwise the exit status (help or
// usage error).
int ParseOptions(const std::vector<std::string>& args, ScanOptions& options)
{
    bool optionsDone = false;
    std::size_t paths = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsDone || a.empty() || a[0] != '-' || a == "-") {
            if (paths++ == 0)
                options.path = a;
        } else if (a == "--") {
            optionsDone = true;
        } else if (a == "--help" || a == "-h") {
            std::fputs(ScanHelp, stdout);
            return -1;
        } else if (a == "--subfolders") {
            options.withSub = true;
        } else if (a == "--unique") {
            options.unique = true;
        } else if (a == "--filter" && i + 1 < args.size()) {
            options.fileExt = args[++i];
        } else if (a.rfind("--filter=", 0) == 0) {
            options.fileExt = a.substr(9);
        } else {
            std::fprintf(stderr, "orbisk-extract scan: %s '%s'\n", a == "--filter" ? "missing value for" : "unknown option",
                a.c_str());
            return 2;
        }
    }
    if (paths != 1) {
        std::fprintf(stderr, "orbisk-extract scan: %s\n%s", paths == 0 ? "no PATH given" : "only one PATH please", ScanHelp);
        return 2;
    }
    return 0;
}

// Runs the scan to its end, or until Ctrl+C stops it; true when interrupted.
bool RunScan(ScanEngine& engine, const std::string& path)
{
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous);
    engine.BeginScan(path);
    while (!engine.WaitForScan(std::chrono::milliseconds(50))) {
        if (interrupted)
            break;
    }
    engine.EndScan();
    sigaction(SIGINT, &previous, nullptr);
    return interrupted != 0;
}

// unique: only the first icon of each picture (icons of one picture share
// their handle's image).
void PrintResults(const ScanEngine& engine, const PlainScanView& view, bool unique)
{
    const TIconList& icons = engine.Icons();
    std::unordered_set<HICON> printed;
    std::string line;
    for (std::size_t i = 0; i < icons.size(); ++i) {
        if (unique && !printed.insert(icons[i].Handle).second)
            continue;
        line = engine.IconName(i);
        line.push_back('\n');
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    for (std::size_t p = 0; p < view.panels.size(); ++p)
        std::printf("panel%zu: %s\n", p + 1, view.panels[p].c_str());
}

int Scan(const std::vector<std::string>& args)
{
    ScanOptions options;
    if (const int status = ParseOptions(args, options))
        return status < 0 ? 0 : status;
    struct stat st;
    if (::stat(options.path.c_str(), &st) != 0) {
        std::fprintf(stderr, "orbisk-extract scan: %s: %s\n", options.path.c_str(), std::strerror(errno));
        return 1;
    }
    PlainScanView view;
    ScanEngine engine(view);
    engine.SetWithSub(options.withSub);
    engine.SetFileExt(options.fileExt);
    engine.SetOneFileMode(!S_ISDIR(st.st_mode));
    const bool stopped = RunScan(engine, options.path);
    PrintResults(engine, view, options.unique);
    std::fflush(stdout);
    return stopped ? 130 : 0;
}

const Subcommand scanCommand("scan", ScanUsage, Scan);

} // namespace

} // namespace orbisk::tool
